// Screen readers' view of the two controls Qt describes wrongly here: drop lists and the row of tabs.
#pragma once

namespace qv3 {

// From now on a combo box is named by its accessible name (its label), as
// every other control is, where Qt on Linux names it by its value; a tab bar
// exposes its tabs alone, the selected one focused only while the bar has the
// focus, without the scroll buttons it keeps hidden; and the pages under it
// only the one shown. Call once the QApplication exists: a factory installed
// after Qt's own is asked first.
void install_accessible_interfaces();

}  // namespace qv3
