// Test helpers of the scripted host that stands in for message boxes, file dialogs and the telemetry dialog.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/form_access.h"

namespace qv3::test {

// How the scripted telemetry dialog ends.
enum class DialogEnd { Ok, Cancel, CloseBox };

struct FakeHost {
    // Answers to the OK/Cancel questions, in order; once used up, Cancel (the default).
    std::deque<bool> answers;
    // What the save and open dialogs return; nothing means cancelled.
    std::optional<std::string> save_path;
    std::optional<std::string> open_path;
    // Edits made in the telemetry dialog once it has opened, and how it ends.
    std::function<void(WindowHandle dialog)> telemetry_edits;
    DialogEnd telemetry_end = DialogEnd::Ok;

    // Everything the host was asked to do, one line each:
    // "question: CAPTION | TEXT", "notice: CAPTION | TEXT", "save dialog: NAME",
    // "open dialog", "telemetry dialog", "quit".
    std::vector<std::string> log;
    WindowHandle last_telemetry_dialog = 0;
};

// The one fake host; reset_fake_host() gives back a fresh one.
FakeHost& fake_host();
void reset_fake_host();

// How many log lines begin with prefix.
int fake_host_count(const std::string& prefix);

}  // namespace qv3::test
