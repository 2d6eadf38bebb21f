// The settings controls of the main window bound to calibration and one bank of the record.
#include "ui/form_binding.h"

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_fields.h"

namespace qv3 {

namespace {

void enable_when(WindowHandle window, std::initializer_list<int> ids, bool condition) {
    for (const int id : ids) set_enabled(window, id, condition);
}

}  // namespace

// The controls and their fields come from the main window's layout.
void record_to_form(WindowHandle window, const ConfigRecord& record) {
    show_bound_fields(window, kMainWindowLayout, record);
}

void form_to_record(WindowHandle window, ConfigRecord& record) { store_bound_fields(window, kMainWindowLayout, record); }

void update_enabling(WindowHandle window, const ConfigRecord& record) {
    const bool smart_beacon = get_check(window, IDX_SMART_BEACON);
    const bool time_slot = get_check(window, IDX_TIME_SLOT);
    const bool mic_e = get_check(window, IDX_MIC_E);
    const bool power_switch = get_check(window, IDX_POWER_SWITCH);
    const bool send_nmea = get_check(window, IDX_SEND_NMEA);
    const FormOffers offers = form_offers(device_model_info(record.device_model));

    enable_when(window,
                {IDE_SLOW_SPEED, IDE_SLOW_RATE, IDE_FAST_SPEED, IDE_FAST_RATE, IDE_MIN_TURN_ANGLE, IDE_TURN_SLOPE,
                 IDE_MIN_TURN_TIME},
                smart_beacon);
    enable_when(window, {IDE_AUTO_TX_RATE}, !smart_beacon);
    enable_when(window, {IDE_TIME_SLOT_OFFSET}, time_slot);
    enable_when(window, {IDX_FORCE_PRINTABLE, IDC_MIC_E_MESSAGE, IDC_MIC_E_PATH}, mic_e);
    enable_when(window, {IDE_POWER_SWITCH_TIME}, power_switch);
    enable_when(window, {IDE_SYMBOL, IDE_SYMBOL_TABLE, IDX_TRANSMIT_ALTITUDE}, !send_nmea);
    enable_when(window, {IDC_TIMESTAMP}, !mic_e);
    enable_when(window, {IDX_NO_GT_PREFIX}, offers.no_gt_prefix);
    enable_when(window, {IDX_SERIAL_OUT_HIGH}, offers.serial_out_high);
    enable_when(window, {IDX_NO_STARTUP_PACKET}, offers.no_startup_packet);
    enable_when(window, {IDX_SERIAL_9600_BAUD}, offers.serial_9600_baud);
    enable_when(window, {IDX_TX_TWIST}, offers.tx_twist);
    enable_when(window, {IDB_EDIT_TELEMETRY}, offers.edit_telemetry);
    enable_when(window, {IDE_FREQUENCY}, offers.frequency);
    enable_when(window,
                {IDX_INVERT_CD_IN, IDX_ONLY_SEND_VALID, IDX_SEND_300_BAUD, IDE_QUIET_TIME, IDX_NO_TX_ON_PTT_IN,
                 IDE_CALIBRATION},
                offers.line_settings);
    enable_when(window, {IDX_SEND_DAO}, !send_nmea && offers.send_dao);
}

void check_box_clicked(WindowHandle window, const ConfigRecord& record, int id) {
    if (get_check(window, id)) {
        switch (id) {
            case IDX_TIME_SLOT:
                set_check(window, IDX_SMART_BEACON, false);
                break;
            case IDX_SMART_BEACON:
                set_check(window, IDX_TIME_SLOT, false);
                set_check(window, IDX_POWER_SWITCH, false);
                break;
            case IDX_MIC_E:
                set_check(window, IDX_SEND_NMEA, false);
                break;
            case IDX_SEND_NMEA:
                set_check(window, IDX_MIC_E, false);
                break;
            default:
                break;
        }
    }
    update_enabling(window, record);
}

}  // namespace qv3
