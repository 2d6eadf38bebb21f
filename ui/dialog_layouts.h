// The dialogs, described once: the main window, the telemetry settings and the history, every control in creation order.
//
// Both window front ends build their dialogs from these tables; the layout
// tests check them and compare the running Windows program with them.
// Adding a control: see docs/ARCHITECTURE.md.
#pragma once

#include <array>

#include "ui/control_ids.h"
#include "ui/dialog_layout.h"
#include "ui/form_fields.h"

namespace qv3 {

namespace layout {

// Characters the form reads from a text field, and from a number, character
// or port field.
constexpr std::size_t kText = kTextFieldMaxChars;
constexpr std::size_t kShort = kShortFieldMaxChars;
constexpr unsigned kDigits = kRuleDigitsOnly;
constexpr unsigned kUpper = kRuleUpperCase;

// Items of the drop-down lists.
constexpr std::array<const char*, 8> kMicEMessageItems{
    "Off Duty", "En Route", "In Service", "Returning", "Committed", "Special", "Priority", "Emergency!",
};
constexpr std::array<const char*, 16> kMicEPathItems{
    "Conventional", "WIDE-1",       "WIDE-2",       "WIDE-3",      "WIDE-4",      "WIDE-5",
    "WIDE-6",       "WIDE-7",       "North",        "South",       "East",        "West",
    "North + WIDE", "South + WIDE", "East + WIDE",  "West + WIDE",
};
constexpr std::array<const char*, 3> kTimestampItems{"None", "HMS", "DHM"};
// The record keeps the channel count: the position plus one.
constexpr std::array<const char*, 3> kTelemetryChannelItems{"1", "2", "3"};

// The main window. Controls in creation order, which is also the tab order;
// labels come just before their control and units just after it.
inline constexpr std::array kMainWindowControls{
    LayoutControl{ControlKind::Tabs, IDC_TAB, "", {7, 7, 353, 247}},

    label("Callsign", IDE_CALLSIGN, {10, 27, 33, 8}),
    edit(IDE_CALLSIGN, {45, 24, 49, 14}, kUpper, "callsign", kText),
    label("Path", IDE_PATH, {10, 42, 33, 8}),
    edit(IDE_PATH, {45, 39, 97, 14}, kUpper, "path", kText),
    label("Symbol", IDE_SYMBOL, {10, 58, 34, 8}),
    edit(IDE_SYMBOL, {46, 55, 15, 14}, kRuleNone, "symbol_code", kShort),
    label("Table", IDE_SYMBOL_TABLE, {64, 58, 45, 8}),
    named("Symbol Table", edit(IDE_SYMBOL_TABLE, {111, 55, 15, 14}, kRuleNone, "symbol_table", kShort)),
    label("Frequency", IDE_FREQUENCY, {9, 73, 36, 8}),
    edit(IDE_FREQUENCY, {46, 70, 36, 14}, kRuleNone, "frequency_mhz", kShort),
    unit("MHz", IDE_FREQUENCY, {85, 73, 20, 8}),

    group("Timing", {7, 83, 153, 104}),
    label("Auto TXD", IDE_AUTO_TXD, {12, 94, 72, 8}),
    edit(IDE_AUTO_TXD, {86, 91, 25, 14}, kDigits, "auto_txd", kShort),
    unit("ms", IDE_AUTO_TXD, {114, 94, 30, 8}),
    label("Auto TX Rate", IDE_AUTO_TX_RATE, {12, 109, 72, 8}),
    edit(IDE_AUTO_TX_RATE, {86, 106, 25, 14}, kDigits, "auto_tx_rate", kShort),
    unit("sec", IDE_AUTO_TX_RATE, {114, 109, 30, 8}),
    label("Manual TXD", IDE_MANUAL_TXD, {12, 125, 72, 8}),
    edit(IDE_MANUAL_TXD, {86, 122, 25, 14}, kDigits, "manual_txd", kShort),
    unit("ms", IDE_MANUAL_TXD, {114, 125, 30, 8}),
    label("Manual TX Rate", IDE_MANUAL_TX_RATE, {12, 141, 72, 8}),
    edit(IDE_MANUAL_TX_RATE, {86, 138, 25, 14}, kDigits, "manual_tx_rate", kShort),
    unit("sec", IDE_MANUAL_TX_RATE, {114, 141, 30, 8}),
    label("Quiet Time", IDE_QUIET_TIME, {12, 157, 72, 8}),
    edit(IDE_QUIET_TIME, {86, 154, 25, 14}, kDigits, "quiet_time", kShort),
    unit("msec", IDE_QUIET_TIME, {114, 157, 30, 8}),
    // One value for both banks, although it stands among the bank's settings.
    label("Calibration", IDE_CALIBRATION, {12, 173, 72, 8}),
    edit(IDE_CALIBRATION, {86, 170, 25, 14}, kDigits, "calibration", kShort, BankScope::None),

    group("Status", {7, 188, 155, 45}),
    label("Text", IDE_STATUS_TEXT, {12, 199, 24, 8}),
    named("Status Text", edit(IDE_STATUS_TEXT, {38, 196, 118, 14}, kRuleNone, "status_text", kText)),
    label("Send Every", IDE_STATUS_EVERY, {12, 214, 43, 8}),
    edit(IDE_STATUS_EVERY, {57, 211, 25, 14}, kDigits, "status_every", kShort),
    check(IDX_SEND_SEPARATE, "Send Separate", {97, 211, 63, 10}, "send_separate"),
    check(IDX_NO_GT_PREFIX, "Don't Send '>'", {97, 221, 61, 10}, "no_gt_prefix"),
    // Three units wider than the other buttons: its text fits the page's font too.
    button(IDB_EDIT_TELEMETRY, "Edit Telemetry", {64, 234, 53, 14}),

    check(IDX_TRANSMIT_ALTITUDE, "Transmit Altitude", {171, 22, 70, 10}, "transmit_altitude"),
    check(IDX_ALLOW_TTL_SERIAL, "Allow TTL Serial", {171, 32, 65, 10}, "allow_ttl_serial"),
    check(IDX_NO_TX_ON_PTT_IN, "No TX Out on PTT In", {171, 42, 81, 10}, "no_tx_on_ptt_in"),
    check(IDX_SERIAL_OUT_HIGH, "Serial Out High", {171, 52, 63, 10}, "serial_out_high"),
    check(IDX_ALTERNATE_DIGI_PATHS, "Alternate Digi Paths", {171, 62, 79, 10}, "alternate_digi_paths"),
    check(IDX_INVERT_CD_IN, "Invert CD In", {171, 72, 56, 10}, "invert_cd_in"),
    check(IDX_SEND_NMEA, "Send NMEA", {171, 82, 53, 10}, "send_nmea"),
    check(IDX_ONLY_SEND_VALID, "Only Send Valid", {275, 21, 65, 10}, "only_send_valid"),
    check(IDX_SEND_300_BAUD, "Send 300 Baud", {275, 31, 64, 10}, "send_300_baud"),
    check(IDX_SERIAL_9600_BAUD, "Serial 9600 Baud", {275, 41, 69, 10}, "serial_9600_baud"),
    check(IDX_TX_TWIST, "TX Twist", {275, 51, 43, 10}, "tx_twist"),
    check(IDX_SEND_DAO, "Send DAO", {275, 61, 49, 10}, "send_dao"),
    check(IDX_NO_STARTUP_PACKET, "No Startup Packet", {275, 71, 74, 10}, "no_startup_packet"),
    label("Timestamp", IDC_TIMESTAMP, {268, 83, 42, 8}),
    drop_list(IDC_TIMESTAMP, {312, 81, 35, 153}, "timestamp_mode", kTimestampItems),

    group("Mic-E", {166, 94, 184, 40}),
    named("Mic-E Enable", check(IDX_MIC_E, "Enable", {171, 106, 37, 10}, "mic_e_enable")),
    check(IDX_FORCE_PRINTABLE, "Force Printable", {171, 119, 64, 10}, "force_printable"),
    // Two units taller than a label, one above and one below: the descender of
    // its "g" stays inside while its text keeps its place in the native window.
    label("Message", IDC_MIC_E_MESSAGE, {236, 102, 29, 10}),
    named("Mic-E Message", drop_list(IDC_MIC_E_MESSAGE, {267, 101, 76, 153}, "mic_e_message", kMicEMessageItems)),
    label("Path", IDC_MIC_E_PATH, {236, 119, 30, 8}),
    named("Mic-E Path", drop_list(IDC_MIC_E_PATH, {268, 117, 75, 140}, "mic_e_path", kMicEPathItems)),

    group("Time Slotting", {167, 134, 191, 26}),
    named("Time Slotting Enable", check(IDX_TIME_SLOT, "Enable", {171, 145, 37, 10}, "time_slot_enable")),
    label("Offset", IDE_TIME_SLOT_OFFSET, {268, 146, 40, 8}),
    named("Time Slotting Offset", edit(IDE_TIME_SLOT_OFFSET, {310, 143, 25, 14}, kDigits, "time_slot_offset", kShort)),
    unit("sec", IDE_TIME_SLOT_OFFSET, {338, 146, 16, 8}),

    group("SmartBeaconing", {167, 160, 191, 65}),
    named("SmartBeaconing Enable", check(IDX_SMART_BEACON, "Enable", {172, 171, 37, 10}, "smart_beacon_enable")),
    label("Min Turn Angle", IDE_MIN_TURN_ANGLE, {170, 183, 53, 8}),
    edit(IDE_MIN_TURN_ANGLE, {225, 180, 25, 14}, kDigits, "min_turn_angle", kShort),
    unit("deg", IDE_MIN_TURN_ANGLE, {252, 183, 14, 8}),
    label("Turn Slope", IDE_TURN_SLOPE, {170, 197, 53, 8}),
    edit(IDE_TURN_SLOPE, {225, 194, 25, 14}, kDigits, "turn_slope", kShort),
    label("Min Turn Time", IDE_MIN_TURN_TIME, {170, 211, 53, 8}),
    edit(IDE_MIN_TURN_TIME, {225, 208, 25, 14}, kDigits, "min_turn_time", kShort),
    unit("sec", IDE_MIN_TURN_TIME, {252, 211, 14, 8}),
    label("Slow Speed", IDE_SLOW_SPEED, {266, 168, 43, 8}),
    edit(IDE_SLOW_SPEED, {311, 165, 25, 14}, kDigits, "slow_speed", kShort),
    unit("MPH", IDE_SLOW_SPEED, {338, 168, 18, 8}),
    label("Slow Rate", IDE_SLOW_RATE, {266, 183, 43, 8}),
    edit(IDE_SLOW_RATE, {311, 180, 25, 14}, kDigits, "slow_rate", kShort),
    unit("sec", IDE_SLOW_RATE, {338, 183, 18, 8}),
    label("Fast Speed", IDE_FAST_SPEED, {266, 198, 43, 8}),
    edit(IDE_FAST_SPEED, {311, 195, 25, 14}, kDigits, "fast_speed", kShort),
    unit("MPH", IDE_FAST_SPEED, {338, 198, 18, 8}),
    label("Fast Rate", IDE_FAST_RATE, {266, 212, 43, 8}),
    edit(IDE_FAST_RATE, {311, 209, 25, 14}, kDigits, "fast_rate", kShort),
    unit("sec", IDE_FAST_RATE, {338, 212, 18, 8}),

    // The switch-off time has a unit but no label: the group box names it.
    group("Power Switch", {167, 226, 191, 24}),
    named("Power Switch Enable", check(IDX_POWER_SWITCH, "Enable", {173, 236, 37, 10}, "power_switch_enable")),
    named("Power Switch Time", edit(IDE_POWER_SWITCH_TIME, {311, 234, 25, 14}, kDigits, "power_switch_time", kShort)),
    unit("sec", IDE_POWER_SWITCH_TIME, {338, 237, 16, 8}),

    group("Configure", {7, 254, 113, 41}),
    LayoutControl{ControlKind::ComboEdit, IDC_PORT, "", {7, 265, 49, 140}, kRuleNone, kNoControlId, BankScope::None,
                  "", kShort, "Port"},
    button(IDB_READ_VERSION, "Read Version", {7, 279, 50, 14}),
    button(IDB_READ_CONFIG, "Read Config", {65, 264, 50, 14}),
    button(IDB_WRITE_CONFIG, "Write Config", {65, 279, 50, 14}),

    group("Test Tones", {123, 255, 110, 40}),
    button(IDB_SEND_1200, "Send 1200Hz", {126, 264, 50, 14}),
    button(IDB_SEND_2200, "Send 2200Hz", {126, 278, 50, 14}),
    button(IDB_SEND_BOTH, "Send Both", {179, 264, 50, 14}),
    button(IDB_STOP_TEST, "Stop Test", {179, 278, 50, 14}),

    button(IDB_QUIT, "Quit", {310, 281, 50, 14}),
    // On the row of the tab captions, right of them.
    LayoutControl{ControlKind::StatusText, IDT_STATUS, "", {193, 7, 167, 8}},
    button(IDB_SAVE, "Save", {240, 264, 50, 14}),
    button(IDB_LOAD, "Load", {240, 278, 50, 14}),
    // In the free space above Quit; last, so the tab order reaches it after Load.
    button(IDB_HISTORY, "History...", {310, 264, 50, 14}),
};

// The telemetry settings of one bank. "Channels" is created last, so it comes
// last in the tab order although it stands at the top.
inline constexpr std::array kTelemetryDialogControls{
    check(IDX_SEND_TELEMETRY, "Send Telemetry", {70, 14, 66, 10}, "send_telemetry"),
    label("Definition Rate", IDE_TELEMETRY_DEF_RATE, {5, 47, 60, 8}),
    edit(IDE_TELEMETRY_DEF_RATE, {67, 44, 25, 14}, kDigits, "telemetry_def_rate", kShort),
    label("Definition Text", IDE_TELEMETRY_TEXT, {5, 65, 60, 8}),
    edit(IDE_TELEMETRY_TEXT, {67, 62, 178, 69}, kRuleMultiLine, "telemetry_text", kText),
    button(IDB_TELEMETRY_OK, "OK", {142, 139, 50, 14}, kRuleDefault),
    button(IDB_TELEMETRY_CANCEL, "Cancel", {195, 139, 50, 14}),
    label("Channels", IDC_TELEMETRY_CHANNELS, {5, 29, 61, 8}),
    drop_list(IDC_TELEMETRY_CHANNELS, {68, 27, 35, 153}, "telemetry_channels", kTelemetryChannelItems, 1),
};

// The kept images of the tracker (files/history.h): the list is filled as the
// dialog opens, and Compare's lines fill the read-only field below it.
inline constexpr std::array kHistoryDialogControls{
    label("Entry", IDC_HISTORY_ENTRIES, {5, 9, 42, 8}),
    LayoutControl{ControlKind::DropList, IDC_HISTORY_ENTRIES, "", {50, 7, 275, 150}, kRuleNone, kNoControlId,
                  BankScope::None, "", kText},
    button(IDB_HISTORY_LOAD, "Load", {50, 26, 56, 14}),
    button(IDB_HISTORY_COMPARE, "Compare", {109, 26, 56, 14}),
    button(IDB_HISTORY_SAVE_COPY, "Save Copy...", {168, 26, 56, 14}),
    button(IDB_HISTORY_OPEN_FOLDER, "Open folder", {269, 26, 56, 14}),
    label("Differences", IDE_HISTORY_DIFFERENCES, {5, 49, 42, 8}),
    edit(IDE_HISTORY_DIFFERENCES, {50, 47, 275, 106}, kRuleMultiLine | kRuleScrolls, "", kText, BankScope::None),
    button(IDB_HISTORY_CLOSE, "Close", {275, 160, 50, 14}),
};

}  // namespace layout

inline constexpr DialogLayout kMainWindowLayout{"Quorvale3Config v1.4", 367, 302, "MS Shell Dlg", 8,
                                                layout::kMainWindowControls};

inline constexpr DialogLayout kTelemetryDialogLayout{"Telemetry Settings", 252, 160, "MS Shell Dlg", 8,
                                                     layout::kTelemetryDialogControls};

inline constexpr DialogLayout kHistoryDialogLayout{"History", 332, 181, "MS Shell Dlg", 8,
                                                   layout::kHistoryDialogControls};

}  // namespace qv3
