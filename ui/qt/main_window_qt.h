// The main window over Qt: made from the layout, its clicks, tab switches, keys and timer forwarded to ui/main_window.h.
#pragma once

#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

#include "ui/main_window.h"
#include "ui/qt/qt_form.h"

namespace qv3 {

struct QtMainWindow {
    QWidget window;
    QtForm form;
    QTimer timer;
};

// Creates, initialises and shows the main window of app; port_name, when not
// empty, is put in the port box and chosen.
std::unique_ptr<QtMainWindow> create_main_window(App& app, const std::string& port_name);

}  // namespace qv3
