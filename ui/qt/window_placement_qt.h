// Centring a window on its screen with integer halving, as the Windows front end does.
#pragma once

class QWidget;

namespace qv3 {

void centre_on_screen(QWidget& window);

}  // namespace qv3
