// The program's entry: the process-wide objects, the main window created modeless, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/dialog_layouts.h"
#include "files/history.h"
#include "ui/main_window.h"
#include "ui/win32/console_events_win32.h"
#include "ui/win32/dialog_builder_win32.h"
#include "ui/win32/main_window_win32.h"
#include "ui/win32/version_option_win32.h"

namespace {

// Built before WinMain runs, in the order of App's members (the record with the
// protocol, then the port), and destroyed in reverse order at process exit.
qv3::App the_app;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    if (qv3::answer_version_option(command_line)) return 0;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    // The screen readers' names of the controls come from a COM service.
    const bool com_ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    the_app.history_folder = qv3::history_folder();

    const HWND window =
        qv3::create_dialog(qv3::kMainWindowLayout, nullptr, qv3::main_window_procedure, reinterpret_cast<LPARAM>(&the_app));
    if (window == nullptr) return 1;  // never run without a window

    qv3::forward_console_events(window);

    // The wide loop: a typed character reaches the controls whole, whatever
    // the system's code page.
    MSG message{};
    int exit_code = 0;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;  // no queue to read
        if (got == 0) {  // the quit request: 0, or kExitWriteAbandoned after a write given up
            exit_code = static_cast<int>(message.wParam);
            break;
        }
        if (qv3::forward_bank_key(window, message) || IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DestroyWindow(window);
    if (com_ready) CoUninitialize();
    return exit_code;
}
