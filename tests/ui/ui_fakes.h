// The ui tests' stand-ins for the window system, the host and the serial line, and their fixture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ui/form_access.h"
#include "ui/main_window.h"

namespace qv3::test {

// The in-memory form. A new window's controls come into being on first use:
// empty text, unchecked, no items, nothing selected, enabled.
WindowHandle new_fake_window();
void reset_fake_forms();
std::vector<std::string> fake_list_items(WindowHandle window, int id);
std::string fake_control_name(WindowHandle window, int id);  // set_control_name's; empty when none
// Ids of the window's controls that are disabled, ascending.
std::vector<int> fake_disabled_controls(WindowHandle window);
// Ids of the window's controls that are read-only, ascending.
std::vector<int> fake_read_only_controls(WindowHandle window);
// From now on get_text of the control fails (and so reads as empty).
void fake_fail_text_reads(WindowHandle window, int id);
// The id of the control set_focus last gave the focus to; 0 when none.
int fake_focus(WindowHandle window);

// The scripted host.
struct FakeHost {
    // Answers to the OK/Cancel questions, in order; once used up, Cancel (the default).
    std::deque<bool> answers;
    // Runs while a question is up, before it is answered (the timer ticks on).
    std::function<void()> while_asking;
    // What the save and open dialogs return; nothing means cancelled.
    std::optional<std::string> save_path;
    std::optional<std::string> open_path;
    // Edits made in the telemetry dialog once it has opened; then it ends with OK.
    std::function<void(WindowHandle dialog)> telemetry_edits;
    // What is done in the history dialog once it has opened (history_dialog_command's clicks).
    std::function<void(WindowHandle dialog)> history_session;
    // What open_folder answers.
    bool folder_opens = true;
    // Everything the host was asked to do, one line each: "question: CAPTION | TEXT",
    // "notice: CAPTION | TEXT", "save dialog: NAME", "open dialog", "telemetry dialog", "history dialog",
    // "open folder: PATH", "stderr: LINE",
    // "quit" (exit code 0) and "quit CODE".
    std::vector<std::string> log;
};
FakeHost& fake_host();
void reset_fake_host();

// The scripted serial line: which ports exist, what comes in, and what was sent.
struct FakeSerial {
    // list_ports is the Windows listing (COM1 to COM20), over may_exist and probe_ok.
    std::set<std::string> may_exist;  // names port_may_exist accepts
    std::set<std::string> probe_ok;   // names probe accepts; open accepts every name
    std::deque<uint8_t> incoming;     // bytes read_byte gives, then Nothing
    std::vector<std::string> probed;  // names probe was asked about
    std::vector<std::string> opened;  // port names of successful opens
    std::vector<uint8_t> written;     // every byte written
    int64_t clock_ms = 0;             // advanced by reads and sleeps
    bool gone = false;                // reads and writes find the device gone, until the next open
};
FakeSerial& fake_serial();

// Fresh fakes, and a main window over a default record.
class UiTest : public ::testing::Test {
protected:
    UiTest() {
        reset_fake_forms();
        reset_fake_host();
        fake_serial() = FakeSerial{};
        app.window = new_fake_window();
    }

    std::string text(int id) const { return get_text(app.window, id, 100000); }
    void type(int id, const std::string& value) const { set_text(app.window, id, value); }

    App app;
};

}  // namespace qv3::test
