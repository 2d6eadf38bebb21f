// The native program's entry: the process-wide objects, the main window, and Qt's event loop.
#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>
#include <string>

#include "ui/main_window.h"
#include "ui/qt/main_window_qt.h"

namespace {

// Built before main runs, in the order of App's members (the record with the
// protocol, then the port), and destroyed in reverse order at process exit.
qv3::App the_app;

constexpr const char* kUsage =
    "usage: quorvale3config [--port PATH]\n"
    "  --port PATH  put PATH (say /dev/ttyUSB0) in the port box and choose it\n";

}  // namespace

int main(int argc, char** argv) {
    // Qt takes its own options (-platform, -display...) out of argv first.
    QApplication application(argc, argv);
    std::string port_name;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            port_name = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "quorvale3config: unknown argument '%s'\n%s", argv[i], kUsage);
            return 2;
        }
    }
    QApplication::setApplicationName(QStringLiteral("quorvale3config"));
    QApplication::setDesktopFileName(QStringLiteral("quorvale3config"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quorvale3config.png")));

    auto window = qv3::create_main_window(the_app, port_name);
    QApplication::exec();
    window.reset();
    return 0;
}
