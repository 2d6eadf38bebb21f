// The one seam through which the system asks the user a question or tells them something: a message box, or qv3's terminal.
//
// One implementation per front end, chosen at link time:
// ui/win32/host_services_win32.cpp and ui/qt/host_services_qt.cpp (message
// boxes), ui/web/host_services_web.cpp (the page's modal <dialog>),
// cli/terminal_questions.cpp (qv3: the terminal, or --yes), and for tests
// tests/ui/ui_fakes.cpp and tests/device/write_confirmations_test.cpp.
#pragma once

#include <cstdint>
#include <string_view>

namespace qv3 {

// A window of the front end (a Windows HWND value, or a fake form's key); the
// owner of a question. kNoOwner: none, as for qv3.
using WindowHandle = std::intptr_t;
constexpr WindowHandle kNoOwner = 0;

// An OK/Cancel question with Cancel the default; true for OK.
bool ask_ok_cancel(WindowHandle owner, std::string_view caption, std::string_view text);

// A notice with an OK button.
void show_notice(WindowHandle owner, std::string_view caption, std::string_view text);

}  // namespace qv3
