// The host_services.h functions answered from a script and logged, for headless tests.
#include "fake_host.h"

#include "fake_form.h"
#include "ui/control_ids.h"
#include "ui/host_services.h"
#include "ui/telemetry_binding.h"

namespace qv3 {

namespace test {

FakeHost& fake_host() {
    static FakeHost host;
    return host;
}

void reset_fake_host() { fake_host() = FakeHost{}; }

int fake_host_count(const std::string& prefix) {
    int count = 0;
    for (const std::string& line : fake_host().log) {
        if (line.compare(0, prefix.size(), prefix) == 0) ++count;
    }
    return count;
}

}  // namespace test

using test::fake_host;

bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    fake_host().log.push_back("question: " + std::string(caption) + " | " + std::string(text));
    if (fake_host().answers.empty()) return false;
    const bool answer = fake_host().answers.front();
    fake_host().answers.pop_front();
    return answer;
}

void show_notice(WindowHandle, std::string_view caption, std::string_view text) {
    fake_host().log.push_back("notice: " + std::string(caption) + " | " + std::string(text));
}

std::optional<std::string> choose_save_file(WindowHandle, std::string_view initial_name) {
    fake_host().log.push_back("save dialog: " + std::string(initial_name));
    return fake_host().save_path;
}

std::optional<std::string> choose_open_file(WindowHandle) {
    fake_host().log.push_back("open dialog");
    return fake_host().open_path;
}

// Runs the dialog as its procedure would: opened, edited, then ended.
void show_telemetry_dialog(WindowHandle, ConfigRecord& record) {
    fake_host().log.push_back("telemetry dialog");
    const WindowHandle dialog = test::new_fake_window();
    fake_host().last_telemetry_dialog = dialog;
    telemetry_dialog_opened(dialog, record);
    if (fake_host().telemetry_edits) fake_host().telemetry_edits(dialog);
    switch (fake_host().telemetry_end) {
        case test::DialogEnd::Ok:
            telemetry_dialog_command(dialog, record, IDB_TELEMETRY_OK);
            break;
        case test::DialogEnd::Cancel:
            telemetry_dialog_command(dialog, record, IDB_TELEMETRY_CANCEL);
            break;
        case test::DialogEnd::CloseBox:
            telemetry_dialog_close_box(dialog, record);
            break;
    }
}

void post_quit_request(WindowHandle) { fake_host().log.push_back("quit"); }

}  // namespace qv3
