// Control ids of the main window, the telemetry dialog and the history dialog; ui/dialog_layouts.h places each control.
#pragma once

namespace qv3 {

// Prefixes: IDE_ edit field, IDX_ check box, IDC_ list, combo or tab,
// IDB_ button, IDT_ static text. Unscoped, so an id is the int that the form
// seam and the window systems take. The values are the ones the windows have
// always had (the end-to-end driver addresses controls by number).
enum MainWindowControl : int {
    // Main window: the tab control, the port box and the status field.
    IDC_TAB = 1006,
    IDC_PORT = 1073,
    IDT_STATUS = 1002,

    // Main window: buttons.
    IDB_READ_VERSION = 1003,
    IDB_READ_CONFIG = 1004,
    IDB_WRITE_CONFIG = 1005,
    IDB_SEND_1200 = 1089,
    IDB_SEND_2200 = 1090,
    IDB_SEND_BOTH = 1091,
    IDB_STOP_TEST = 1092,
    IDB_QUIT = 2,
    IDB_SAVE = 1093,
    IDB_LOAD = 1095,
    IDB_EDIT_TELEMETRY = 1094,
    IDB_HISTORY = 1096,

    // Main window: edit fields.
    IDE_CALIBRATION = 1082,
    IDE_CALLSIGN = 1000,
    IDE_PATH = 1001,
    IDE_AUTO_TXD = 1007,
    IDE_MANUAL_TXD = 1008,
    IDE_AUTO_TX_RATE = 1009,
    IDE_MANUAL_TX_RATE = 1010,
    IDE_STATUS_EVERY = 1036,
    IDE_STATUS_TEXT = 1038,
    IDE_TIME_SLOT_OFFSET = 1039,
    IDE_SLOW_SPEED = 1042,
    IDE_FAST_SPEED = 1045,
    IDE_SLOW_RATE = 1048,
    IDE_FAST_RATE = 1051,
    IDE_MIN_TURN_ANGLE = 1054,
    IDE_TURN_SLOPE = 1057,
    IDE_MIN_TURN_TIME = 1060,
    IDE_SYMBOL = 1034,
    IDE_SYMBOL_TABLE = 1066,
    IDE_QUIET_TIME = 1068,
    IDE_POWER_SWITCH_TIME = 1071,
    IDE_FREQUENCY = 1084,

    // Main window: lists.
    IDC_TIMESTAMP = 1035,
    IDC_MIC_E_MESSAGE = 1033,
    IDC_MIC_E_PATH = 1063,

    // Main window: check boxes.
    IDX_FORCE_PRINTABLE = 1021,
    IDX_ONLY_SEND_VALID = 1022,
    IDX_TIME_SLOT = 1023,
    IDX_SMART_BEACON = 1024,
    IDX_TRANSMIT_ALTITUDE = 1025,
    IDX_MIC_E = 1026,
    IDX_POWER_SWITCH = 1027,
    IDX_ALLOW_TTL_SERIAL = 1028,
    IDX_ALTERNATE_DIGI_PATHS = 1029,
    IDX_INVERT_CD_IN = 1030,
    IDX_NO_TX_ON_PTT_IN = 1031,
    IDX_SEND_NMEA = 1032,
    IDX_SEND_SEPARATE = 1074,
    IDX_NO_GT_PREFIX = 1075,
    IDX_SEND_300_BAUD = 1076,
    IDX_SERIAL_OUT_HIGH = 1077,
    IDX_NO_STARTUP_PACKET = 1078,
    IDX_SERIAL_9600_BAUD = 1079,
    IDX_TX_TWIST = 1080,
    IDX_SEND_DAO = 1081,
};

// The telemetry dialog's ids overlap the main window's on purpose.
enum TelemetryControl : int {
    IDB_TELEMETRY_OK = 1,
    IDB_TELEMETRY_CANCEL = 2,
    IDX_SEND_TELEMETRY = 1093,
    IDC_TELEMETRY_CHANNELS = 1002,
    IDE_TELEMETRY_DEF_RATE = 1001,
    IDE_TELEMETRY_TEXT = 1000,
};

// The history dialog's; Close is the dialog manager's Cancel, so Esc and the
// close box press it.
enum HistoryControl : int {
    IDC_HISTORY_ENTRIES = 1000,
    IDB_HISTORY_LOAD = 1001,
    IDB_HISTORY_COMPARE = 1002,
    IDB_HISTORY_SAVE_COPY = 1003,
    IDB_HISTORY_OPEN_FOLDER = 1004,
    IDE_HISTORY_DIFFERENCES = 1005,
    IDB_HISTORY_CLOSE = 2,
};

}  // namespace qv3
