// Writes seam_table.js, the values the page's JavaScript shares with the C++, taken from the C++ headers at build time.
//
// The page (page/page.js) builds controls by kind and rule, names windows and
// dialog events in its calls, and the serial bridge (device/serial_bridge.js)
// answers with port outcomes and keeps the reply times. Each value is written
// once, in the headers; this program is the only place that spells them for
// JavaScript, so a reordered enum or a changed time reaches the page with the
// next build. A row missing here for a new enumerator fails the build.
//
//   make_seam_table OUTPUT.js      (run under node by the browser build)
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>

#include "device/serial_port.h"
#include "ui/dialog_layout.h"
#include "ui/main_window.h"
#include "ui/web/page_windows.h"

namespace {

struct Row {
    const char* name;
    long long value;
};

template <typename Enum>
constexpr Row row(const char* name, Enum value) {
    return {name, static_cast<long long>(value)};
}

using qv3::ControlKind;
constexpr Row kControlKinds[] = {
    row("Tabs", ControlKind::Tabs),           row("Label", ControlKind::Label),
    row("Unit", ControlKind::Unit),           row("StatusText", ControlKind::StatusText),
    row("GroupBox", ControlKind::GroupBox),   row("Edit", ControlKind::Edit),
    row("CheckBox", ControlKind::CheckBox),   row("Button", ControlKind::Button),
    row("DropList", ControlKind::DropList),   row("ComboEdit", ControlKind::ComboEdit),
};
static_assert(std::size(kControlKinds) == static_cast<size_t>(ControlKind::ComboEdit) + 1);

constexpr Row kControlRules[] = {
    row("UpperCase", qv3::kRuleUpperCase),
    row("DigitsOnly", qv3::kRuleDigitsOnly),
    row("MultiLine", qv3::kRuleMultiLine),
    row("Default", qv3::kRuleDefault),
    row("Scrolls", qv3::kRuleScrolls),
};
static_assert(std::size(kControlRules) == 5 && qv3::kRuleScrolls == 1u << 4);

constexpr Row kWindows[] = {row("Main", qv3::kMainWindow), row("Telemetry", qv3::kTelemetryWindow),
                            row("History", qv3::kHistoryWindow)};

using qv3::DialogEvent;
constexpr Row kDialogEvents[] = {
    row("Click", DialogEvent::Click),
    row("Escape", DialogEvent::Escape),
    row("CloseBox", DialogEvent::CloseBox),
};
static_assert(std::size(kDialogEvents) == static_cast<size_t>(DialogEvent::CloseBox) + 1);

using qv3::PortOutcome;
constexpr Row kPortOutcomes[] = {
    row("Ok", PortOutcome::Ok),
    row("NothingInTime", PortOutcome::NothingInTime),
    row("Busy", PortOutcome::Busy),
    row("NotFound", PortOutcome::NotFound),
    row("NoPermission", PortOutcome::NoPermission),
    row("NotASerialPort", PortOutcome::NotASerialPort),
    row("SettingsRefused", PortOutcome::SettingsRefused),
    row("Gone", PortOutcome::Gone),
    row("Failed", PortOutcome::Failed),
};
static_assert(std::size(kPortOutcomes) == static_cast<size_t>(PortOutcome::Failed) + 1);

constexpr Row kTimes[] = {
    row("readTimeoutMs", qv3::kReadTimeoutMs),
    row("writeTimeoutMs", qv3::kWriteTimeoutMs),
    row("timerPeriodMs", qv3::kTimerPeriodMs),
};

template <size_t N>
std::string object(const Row (&rows)[N]) {
    std::string text = "Object.freeze({";
    for (const Row& r : rows) text += std::string(" ") + r.name + ": " + std::to_string(r.value) + ",";
    return text + " })";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seam_table OUTPUT.js\n");
        return 2;
    }
    std::string text =
        "// Made by the build from the C++ headers (ui/web/make_seam_table.cpp); do not edit.\n"
        "(function (root) {\n  'use strict';\n  const table = Object.freeze({\n";
    const std::pair<const char*, std::string> members[] = {
        {"ControlKind", object(kControlKinds)},       {"ControlRule", object(kControlRules)},
        {"Window", object(kWindows)},                 {"DialogEvent", object(kDialogEvents)},
        {"PortOutcome", object(kPortOutcomes)},       {"Times", object(kTimes)},
    };
    for (const auto& [name, value] : members) text += std::string("    ") + name + ": " + value + ",\n";
    text +=
        "  });\n"
        "  if (typeof module === 'object' && module.exports) module.exports = table;\n"
        "  else root.Qv3Seam = table;\n"
        "})(globalThis);\n";
    std::FILE* file = std::fopen(argv[1], "wb");
    const bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr && std::fclose(file) != 0) return 1;
    if (!written) std::fprintf(stderr, "make_seam_table: cannot write %s\n", argv[1]);
    return written ? 0 : 1;
}
