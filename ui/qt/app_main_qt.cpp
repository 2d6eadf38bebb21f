// The native program's entry: the process-wide objects, the main window, and Qt's event loop.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qv3_version.h"
#include "files/history.h"
#include "ui/main_window.h"
#include "ui/qt/accessible_qt.h"
#include "ui/qt/end_signals_qt.h"
#include "ui/qt/main_window_qt.h"

namespace {

// Built before main runs, in the order of App's members (the record with the
// protocol, then the port), and destroyed in reverse order at process exit.
qv3::App the_app;

constexpr const char* kUsage =
    "usage: quorvale3config [--port PATH]\n"
    "       quorvale3config --version\n"
    "  --port PATH  put PATH (say /dev/ttyUSB0) in the port box and choose it\n";

bool is(const char* argument, const char* option) { return std::strcmp(argument, option) == 0; }

}  // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before Qt starts, so that they need
    // no display. A -platform option or QT_QPA_PLATFORM (offscreen, say)
    // chooses a display of its own, so it is left to Qt.
    bool platform_chosen = std::getenv("QT_QPA_PLATFORM") != nullptr;
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "--help") || is(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (is(argv[i], "--version")) {
            std::puts("quorvale3config " QV3_VERSION);
            return 0;
        }
        if (is(argv[i], "-platform")) platform_chosen = true;
    }
    // Without a display Qt aborts with a long plugin message; say it in one
    // line instead.
    if (!platform_chosen && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        std::fputs("quorvale3config: no display to open (DISPLAY and WAYLAND_DISPLAY are not set); "
                   "start it from a desktop, or use qv3 on a terminal\n",
                   stderr);
        return 1;
    }
    // Qt takes its own options (-platform, -display...) out of argv first.
    QApplication application(argc, argv);
    std::string port_name;
    for (int i = 1; i < argc; ++i) {
        if (is(argv[i], "--port") && i + 1 < argc) {
            port_name = argv[++i];
        } else {
            std::fprintf(stderr, "quorvale3config: unknown argument '%s'\n%s", argv[i], kUsage);
            return 2;
        }
    }
    QApplication::setApplicationName(QStringLiteral("quorvale3config"));
    QApplication::setDesktopFileName(QStringLiteral("quorvale3config"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvale3config.png")));
    qv3::install_accessible_interfaces();

    the_app.history_folder = qv3::history_folder();
    auto window = qv3::create_main_window(the_app, port_name);
    // A signal that comes before this point finds nothing being written.
    qv3::forward_end_signals(the_app, window->window);
    // 0, or kExitWriteAbandoned after a write given up on a second signal.
    const int exit_code = QApplication::exec();
    window.reset();
    return exit_code;
}
