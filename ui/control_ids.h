// Control ids of the main window and the telemetry dialog; ui/dialog_layouts.h places each control.
#ifndef QV3_UI_CONTROL_IDS_H
#define QV3_UI_CONTROL_IDS_H

/* Prefixes: IDE_ edit field, IDX_ check box, IDC_ list, combo or tab,
   IDB_ button, IDT_ static text. */

/* Main window: the tab control, the port box and the status field. */
#define IDC_TAB 1006
#define IDC_PORT 1073
#define IDT_STATUS 1002

/* Main window: buttons. */
#define IDB_READ_VERSION 1003
#define IDB_READ_CONFIG 1004
#define IDB_WRITE_CONFIG 1005
#define IDB_SEND_1200 1089
#define IDB_SEND_2200 1090
#define IDB_SEND_BOTH 1091
#define IDB_STOP_TEST 1092
#define IDB_QUIT 2
#define IDB_SAVE 1093
#define IDB_LOAD 1095
#define IDB_EDIT_TELEMETRY 1094

/* Main window: edit fields. */
#define IDE_CALIBRATION 1082
#define IDE_CALLSIGN 1000
#define IDE_PATH 1001
#define IDE_AUTO_TXD 1007
#define IDE_MANUAL_TXD 1008
#define IDE_AUTO_TX_RATE 1009
#define IDE_MANUAL_TX_RATE 1010
#define IDE_STATUS_EVERY 1036
#define IDE_STATUS_TEXT 1038
#define IDE_TIME_SLOT_OFFSET 1039
#define IDE_SLOW_SPEED 1042
#define IDE_FAST_SPEED 1045
#define IDE_SLOW_RATE 1048
#define IDE_FAST_RATE 1051
#define IDE_MIN_TURN_ANGLE 1054
#define IDE_TURN_SLOPE 1057
#define IDE_MIN_TURN_TIME 1060
#define IDE_SYMBOL 1034
#define IDE_SYMBOL_TABLE 1066
#define IDE_QUIET_TIME 1068
#define IDE_POWER_SWITCH_TIME 1071
#define IDE_FREQUENCY 1084

/* Main window: lists. */
#define IDC_TIMESTAMP 1035
#define IDC_MIC_E_MESSAGE 1033
#define IDC_MIC_E_PATH 1063

/* Main window: check boxes. */
#define IDX_FORCE_PRINTABLE 1021
#define IDX_ONLY_SEND_VALID 1022
#define IDX_TIME_SLOT 1023
#define IDX_SMART_BEACON 1024
#define IDX_TRANSMIT_ALTITUDE 1025
#define IDX_MIC_E 1026
#define IDX_POWER_SWITCH 1027
#define IDX_ALLOW_TTL_SERIAL 1028
#define IDX_ALTERNATE_DIGI_PATHS 1029
#define IDX_INVERT_CD_IN 1030
#define IDX_NO_TX_ON_PTT_IN 1031
#define IDX_SEND_NMEA 1032
#define IDX_SEND_SEPARATE 1074
#define IDX_NO_GT_PREFIX 1075
#define IDX_SEND_300_BAUD 1076
#define IDX_SERIAL_OUT_HIGH 1077
#define IDX_NO_STARTUP_PACKET 1078
#define IDX_SERIAL_9600_BAUD 1079
#define IDX_TX_TWIST 1080
#define IDX_SEND_DAO 1081

/* Telemetry dialog (its ids overlap the main window's on purpose). */
#define IDB_TELEMETRY_OK 1
#define IDB_TELEMETRY_CANCEL 2
#define IDX_SEND_TELEMETRY 1093
#define IDC_TELEMETRY_CHANNELS 1002
#define IDE_TELEMETRY_DEF_RATE 1001
#define IDE_TELEMETRY_TEXT 1000

#endif
