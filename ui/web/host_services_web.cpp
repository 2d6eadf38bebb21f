// The host_services.h and user_questions.h functions in the page: modal dialogs, Save as a
// download, Load through the file chooser, the telemetry and history dialogs.
#include "ui/host_services.h"

#include <string>

#include "ui/control_ids.h"
#include "ui/history_dialog.h"
#include "ui/telemetry_binding.h"
#include "ui/web/page_imports.h"
#include "ui/web/page_windows.h"

namespace qv3 {

namespace {

// Longest path of a chosen file in the module's files: a folder and the file's name.
constexpr int kMaxPathBytes = 1024;

}  // namespace

bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    return qv3_dom_ask(std::string(caption).c_str(), std::string(text).c_str(), 1) == 1;
}

void show_notice(WindowHandle, std::string_view caption, std::string_view text) {
    qv3_dom_ask(std::string(caption).c_str(), std::string(text).c_str(), 0);
}

// No dialog: the browser names and places downloads. The save goes into the
// module's files, and the page hands that file to the browser once the
// command is over.
std::optional<std::string> choose_save_file(WindowHandle, std::string_view initial_name) {
    return std::string(kDownloadFolder) + "/" + std::string(initial_name);
}

std::optional<std::string> choose_open_file(WindowHandle) {
    std::string path(kMaxPathBytes, '\0');
    const int length = qv3_dom_choose_open_file(path.data(), kMaxPathBytes);
    if (length < 0 || length >= kMaxPathBytes) return std::nullopt;
    path.resize(static_cast<std::size_t>(length));
    return path;
}

// Modal in the page but not in the module: the timer keeps stepping an
// exchange under it, as under the windows' modal dialog. Its clicks come
// back through web_telemetry_event.
void show_telemetry_dialog(WindowHandle, ConfigRecord& record) {
    qv3_dom_show_dialog(static_cast<int>(kTelemetryWindow));
    telemetry_dialog_opened(kTelemetryWindow, record);
    set_focus(kTelemetryWindow, IDX_SEND_TELEMETRY);
}

// Shown as the telemetry dialog is, its clicks coming back through
// web_history_event. A page has no file manager to show its folder in: "Open
// folder" stays disabled, and "Save Copy..." downloads an entry instead.
void show_history_dialog(WindowHandle, App& app) {
    qv3_dom_show_dialog(static_cast<int>(kHistoryWindow));
    history_dialog_opened(kHistoryWindow, app);
    set_enabled(kHistoryWindow, IDB_HISTORY_OPEN_FOLDER, false);
    set_focus(kHistoryWindow, IDC_HISTORY_ENTRIES);
}

bool open_folder(std::string_view) { return false; }

void post_quit_request(WindowHandle, int exit_code) { qv3_dom_quit(exit_code); }

void print_to_standard_error(std::string_view line) { qv3_dom_log(std::string(line).c_str()); }

}  // namespace qv3
