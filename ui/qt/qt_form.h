// A dialog of the Qt front end as the form_access.h functions see it: its widget and its controls by id.
#pragma once

#include <map>

#include "ui/form_access.h"

class QWidget;

namespace qv3 {

// One per dialog: the main window and the telemetry dialog use the same ids
// for different controls, so each has a table of its own.
struct QtForm {
    QWidget* dialog = nullptr;
    std::map<int, QWidget*> controls;
};

inline WindowHandle handle_of(QtForm& form) { return reinterpret_cast<WindowHandle>(&form); }

// The form behind a handle made by handle_of; null for 0.
inline QtForm* form_of(WindowHandle window) { return reinterpret_cast<QtForm*>(window); }

// The widget of control id, or null when the form has none.
QWidget* control_widget(WindowHandle window, int id);

}  // namespace qv3
