// The main window's widgets and the forwarding of their events to the shared window logic.
#include "ui/qt/main_window_qt.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>

#include <utility>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/qt/close_forwarder_qt.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/port_box_qt.h"
#include "ui/qt/window_placement_qt.h"

namespace qv3 {

namespace {

void insert_tabs(QTabWidget& tabs) {
    // Inserting the first tab selects it, which is no switch by the user.
    const QSignalBlocker quiet(&tabs);
    for (const char* text : kTabTexts) tabs.addTab(new QWidget, QString::fromUtf8(text));
}

void list_ports_with_descriptions(QComboBox& box) { fill_port_box(&box, list_ports().ports, kNoPortsText); }

void forward_events(QtMainWindow& main, App& app) {
    for (const auto& [id, widget] : main.form.controls) {
        const int clicked_id = id;
        on_click(widget, &main.window, [&app, clicked_id] { on_command(app, clicked_id); });
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(control_widget(app.window, IDC_TAB))) {
        insert_tabs(*tabs);
        QObject::connect(tabs, &QTabWidget::currentChanged, &main.window,
                         [&app](int index) { on_tab_changed(app, index); });
    }
    if (auto* box = qobject_cast<QComboBox*>(control_widget(app.window, IDC_PORT))) {
        on_port_box_opening(box, [box] { list_ports_with_descriptions(*box); });
    }
    // The bank keys of a Windows property sheet, from any control of the window,
    // and Alt+PgDn and Alt+PgUp, the ones a browser lets through to the page.
    for (const auto& [keys, step] : {std::pair{Qt::CTRL | Qt::Key_Tab, 1}, std::pair{Qt::CTRL | Qt::Key_PageDown, 1},
                                     std::pair{Qt::ALT | Qt::Key_PageDown, 1},
                                     std::pair{Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
                                     std::pair{Qt::CTRL | Qt::Key_PageUp, -1}, std::pair{Qt::ALT | Qt::Key_PageUp, -1}}) {
        auto* bank_key = new QShortcut(QKeySequence(keys), &main.window);
        QObject::connect(bank_key, &QShortcut::activated, &main.window, [&app, step] { on_bank_key(app, step); });
    }
    // Esc, "Quit" and the close box all go the same way.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &main.window);
    QObject::connect(escape, &QShortcut::activated, &main.window, [&app] { on_command(app, IDB_QUIT); });
    new CloseForwarder(&main.window, [&app] { on_command(app, IDB_QUIT); });
    QObject::connect(&main.timer, &QTimer::timeout, &main.window, [&app] { on_timer(app); });
}

}  // namespace

std::unique_ptr<QtMainWindow> create_main_window(App& app, const std::string& port_name) {
    auto main = std::make_unique<QtMainWindow>();
    // A fixed frame with a close box: no resizing, no minimise or maximise.
    main->window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    build_dialog(main->window, kMainWindowLayout, main->form);
    app.window = handle_of(main->form);
    forward_events(*main, app);

    initialise_main_window(app);  // the port box listed, with descriptions
    if (auto* box = qobject_cast<QComboBox*>(control_widget(app.window, IDC_PORT)); box && !port_name.empty()) {
        choose_port(box, port_name);
    }
    main->timer.start(kTimerPeriodMs);
    centre_on_screen(main->window);
    main->window.show();
    main->window.activateWindow();
    if (QWidget* first = control_widget(app.window, IDE_CALLSIGN)) first->setFocus();
    return main;
}

}  // namespace qv3
