// The settings controls of the main window bound to calibration and one bank of the record.
#include "ui/form_binding.h"

#include "ui/control_ids.h"
#include "ui/form_fields.h"

namespace qv3 {

namespace {

// Visits every settings control with the record field it shows, in the order
// both copies use. Record is ConfigRecord or const ConfigRecord.
template <typename Record, typename Visitor>
void visit_settings(Record& r, Visitor&& v) {
    const std::size_t b = bank_index(r);
    v.number(IDE_CALIBRATION, r.calibration);
    v.text(IDE_CALLSIGN, r.callsign[b]);
    v.text(IDE_PATH, r.path[b]);
    v.number(IDE_AUTO_TXD, r.auto_txd[b]);
    v.number(IDE_MANUAL_TXD, r.manual_txd[b]);
    v.number(IDE_AUTO_TX_RATE, r.auto_tx_rate[b]);
    v.number(IDE_MANUAL_TX_RATE, r.manual_tx_rate[b]);
    v.check(IDX_FORCE_PRINTABLE, r.force_printable[b]);
    v.check(IDX_ONLY_SEND_VALID, r.only_send_valid[b]);
    v.check(IDX_TIME_SLOT, r.time_slot_enable[b]);
    v.check(IDX_SMART_BEACON, r.smart_beacon_enable[b]);
    v.check(IDX_TRANSMIT_ALTITUDE, r.transmit_altitude[b]);
    v.check(IDX_MIC_E, r.mic_e_enable[b]);
    v.check(IDX_POWER_SWITCH, r.power_switch_enable[b]);
    v.list(IDC_TIMESTAMP, r.timestamp_mode[b], kTimestampItems.size());
    v.check(IDX_ALLOW_TTL_SERIAL, r.allow_ttl_serial[b]);
    v.check(IDX_ALTERNATE_DIGI_PATHS, r.alternate_digi_paths[b]);
    v.check(IDX_INVERT_CD_IN, r.invert_cd_in[b]);
    v.check(IDX_NO_TX_ON_PTT_IN, r.no_tx_on_ptt_in[b]);
    v.check(IDX_SEND_NMEA, r.send_nmea[b]);
    v.number(IDE_STATUS_EVERY, r.status_every[b]);
    v.text(IDE_STATUS_TEXT, r.status_text[b]);
    v.number(IDE_TIME_SLOT_OFFSET, r.time_slot_offset[b]);
    v.number(IDE_SLOW_SPEED, r.slow_speed[b]);
    v.number(IDE_FAST_SPEED, r.fast_speed[b]);
    v.number(IDE_SLOW_RATE, r.slow_rate[b]);
    v.number(IDE_FAST_RATE, r.fast_rate[b]);
    v.number(IDE_MIN_TURN_ANGLE, r.min_turn_angle[b]);
    v.number(IDE_TURN_SLOPE, r.turn_slope[b]);
    v.number(IDE_MIN_TURN_TIME, r.min_turn_time[b]);
    v.list(IDC_MIC_E_MESSAGE, r.mic_e_message[b], kMicEMessageItems.size());
    v.list(IDC_MIC_E_PATH, r.mic_e_path[b], kMicEPathItems.size());
    v.character(IDE_SYMBOL, r.symbol_code[b]);
    v.character(IDE_SYMBOL_TABLE, r.symbol_table[b]);
    v.number(IDE_QUIET_TIME, r.quiet_time[b]);
    v.number(IDE_POWER_SWITCH_TIME, r.power_switch_time[b]);
    v.check(IDX_SEND_SEPARATE, r.send_separate[b]);
    v.check(IDX_SEND_300_BAUD, r.send_300_baud[b]);
    v.check(IDX_NO_GT_PREFIX, r.no_gt_prefix[b]);
    v.check(IDX_SERIAL_OUT_HIGH, r.serial_out_high[b]);
    v.check(IDX_NO_STARTUP_PACKET, r.no_startup_packet[b]);
    v.check(IDX_SERIAL_9600_BAUD, r.serial_9600_baud[b]);
    v.check(IDX_TX_TWIST, r.tx_twist[b]);
    v.check(IDX_SEND_DAO, r.send_dao[b]);
    v.frequency(IDE_FREQUENCY, r.frequency_mhz[b]);
}

struct ShowInForm {
    WindowHandle window;
    void text(int id, const std::string& value) const { set_text(window, id, value); }
    template <typename T>
    void number(int id, T value) const {
        show_decimal(window, id, value);
    }
    void check(int id, uint8_t value) const { show_check(window, id, value); }
    template <typename T>
    void list(int id, T index, std::size_t item_count) const {
        show_list_index(window, id, index, item_count);
    }
    void character(int id, char value) const { show_character(window, id, value); }
    void frequency(int id, float value) const { show_frequency(window, id, value); }
};

struct StoreFromForm {
    WindowHandle window;
    void text(int id, std::string& field) const { field = read_text_field(window, id); }
    // The field keeps the low bits of the number that fit its type.
    template <typename T>
    void number(int id, T& field) const {
        field = static_cast<T>(read_decimal_field(window, id));
    }
    void check(int id, uint8_t& field) const { field = read_check_field(window, id); }
    // No selection (-1) keeps its low bits too: 255 in an 8-bit field.
    template <typename T>
    void list(int id, T& field, std::size_t) const {
        field = static_cast<T>(get_selection(window, id));
    }
    void character(int id, char& field) const { field = read_character_field(window, id); }
    void frequency(int id, float& field) const { field = read_frequency_field(window, id); }
};

void enable_when(WindowHandle window, std::initializer_list<int> ids, bool condition) {
    for (const int id : ids) set_enabled(window, id, condition);
}

}  // namespace

void record_to_form(WindowHandle window, const ConfigRecord& record) { visit_settings(record, ShowInForm{window}); }

void form_to_record(WindowHandle window, ConfigRecord& record) { visit_settings(record, StoreFromForm{window}); }

void update_enabling(WindowHandle window, const ConfigRecord& record) {
    const bool smart_beacon = get_check(window, IDX_SMART_BEACON);
    const bool time_slot = get_check(window, IDX_TIME_SLOT);
    const bool mic_e = get_check(window, IDX_MIC_E);
    const bool power_switch = get_check(window, IDX_POWER_SWITCH);
    const bool send_nmea = get_check(window, IDX_SEND_NMEA);
    const FormOffers& offers = device_model_info(record.device_model).offers;

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
