// The settings controls and the record: both copies, every conversion, enabling and check-box exclusions.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_rules.h"
#include "ui/main_window.h"
#include "ui_fakes.h"

namespace qv3::test {
namespace {

class FormBinding : public UiTest {
protected:
    FormBinding() { fill_drop_lists(app.window, kMainWindowLayout); }

    void show(const ConfigRecord& record) const { show_bound_fields(app.window, kMainWindowLayout, record); }
    void store(ConfigRecord& record) const { store_bound_fields(app.window, kMainWindowLayout, record); }
    void update_enabling() const { qv3::update_enabling(app.window, kMainWindowRules, app.record); }

    // Shows the record, types value into id and stores the form again.
    ConfigRecord store_typed(int id, const std::string& value) {
        show(app.record);
        type(id, value);
        ConfigRecord stored = app.record;
        store(stored);
        return stored;
    }

    // The text id shows for a record that differs from the defaults by change.
    std::string shown(void (*change)(ConfigRecord&), int id) {
        ConfigRecord record;
        change(record);
        show(record);
        return text(id);
    }

    bool enabled(int id) const { return is_enabled(app.window, id); }
    bool checked(int id) const { return get_check(app.window, id); }
};

// A record whose bank 1 differs from the defaults in every field the form shows.
ConfigRecord unusual_secondary() {
    ConfigRecord r;
    r.active_bank = Secondary;
    r.calibration = -40000;
    r.callsign[1] = "W1AW-9"; r.path[1] = "WIDE2-2"; r.status_text[1] = "On the air";
    r.auto_txd[1] = 65535; r.manual_txd[1] = 1; r.auto_tx_rate[1] = 2; r.manual_tx_rate[1] = 3; r.quiet_time[1] = 4;
    r.status_every[1] = 255; r.time_slot_offset[1] = 5; r.slow_speed[1] = 6; r.fast_speed[1] = 7;
    r.slow_rate[1] = 8; r.fast_rate[1] = 9; r.min_turn_angle[1] = 10; r.turn_slope[1] = 11; r.min_turn_time[1] = 12;
    r.power_switch_time[1] = 13; r.symbol_code[1] = 'k'; r.symbol_table[1] = '\\'; r.frequency_mhz[1] = 145.825f;
    r.force_printable[1] = 1; r.only_send_valid[1] = 0; r.time_slot_enable[1] = 1; r.smart_beacon_enable[1] = 1;
    r.transmit_altitude[1] = 0; r.mic_e_enable[1] = 0; r.power_switch_enable[1] = 1; r.allow_ttl_serial[1] = 1;
    r.alternate_digi_paths[1] = 1; r.invert_cd_in[1] = 1; r.no_tx_on_ptt_in[1] = 1; r.send_nmea[1] = 1;
    r.send_separate[1] = 1; r.no_gt_prefix[1] = 1; r.send_300_baud[1] = 1; r.serial_out_high[1] = 1;
    r.no_startup_packet[1] = 1; r.serial_9600_baud[1] = 1; r.tx_twist[1] = 0; r.send_dao[1] = 0;
    r.timestamp_mode[1] = 2; r.mic_e_message[1] = 7; r.mic_e_path[1] = 15;
    return r;
}

TEST_F(FormBinding, EachFieldIsShownInItsOwnControlAndStoredBackIntoTheShownBankOnly) {
    const ConfigRecord unusual = unusual_secondary();
    show(unusual);
    const std::vector<std::pair<int, std::string>> texts{
        {IDE_CALIBRATION, "-40000"}, {IDE_CALLSIGN, "W1AW-9"}, {IDE_PATH, "WIDE2-2"}, {IDE_AUTO_TXD, "65535"},
        {IDE_MANUAL_TXD, "1"}, {IDE_AUTO_TX_RATE, "2"}, {IDE_MANUAL_TX_RATE, "3"}, {IDE_QUIET_TIME, "4"},
        {IDE_STATUS_EVERY, "255"}, {IDE_STATUS_TEXT, "On the air"}, {IDE_TIME_SLOT_OFFSET, "5"},
        {IDE_SLOW_SPEED, "6"}, {IDE_FAST_SPEED, "7"}, {IDE_SLOW_RATE, "8"}, {IDE_FAST_RATE, "9"},
        {IDE_MIN_TURN_ANGLE, "10"}, {IDE_TURN_SLOPE, "11"}, {IDE_MIN_TURN_TIME, "12"}, {IDE_POWER_SWITCH_TIME, "13"},
        {IDE_SYMBOL, "k"}, {IDE_SYMBOL_TABLE, "\\"}, {IDE_FREQUENCY, "145.825"}, {IDC_MIC_E_PATH, "West + WIDE"},
    };
    for (const auto& [id, expected] : texts) EXPECT_EQ(text(id), expected) << "control " << id;
    for (const int id : {IDX_FORCE_PRINTABLE, IDX_TIME_SLOT, IDX_SMART_BEACON, IDX_POWER_SWITCH, IDX_ALLOW_TTL_SERIAL,
                         IDX_ALTERNATE_DIGI_PATHS, IDX_INVERT_CD_IN, IDX_NO_TX_ON_PTT_IN, IDX_SEND_NMEA,
                         IDX_SEND_SEPARATE, IDX_NO_GT_PREFIX, IDX_SEND_300_BAUD, IDX_SERIAL_OUT_HIGH,
                         IDX_NO_STARTUP_PACKET, IDX_SERIAL_9600_BAUD}) {
        EXPECT_TRUE(checked(id)) << "control " << id;
    }
    for (const int id : {IDX_ONLY_SEND_VALID, IDX_TRANSMIT_ALTITUDE, IDX_MIC_E, IDX_TX_TWIST, IDX_SEND_DAO}) {
        EXPECT_FALSE(checked(id)) << "control " << id;
    }
    EXPECT_EQ(get_selection(app.window, IDC_TIMESTAMP), 2);
    EXPECT_EQ(get_selection(app.window, IDC_MIC_E_MESSAGE), 7);

    ConfigRecord stored;  // defaults, bank 1 shown
    stored.active_bank = Secondary;
    stored.device_model = 4;
    stored.telemetry_text = {"a", "b"};
    store(stored);
    ConfigRecord expected = unusual;  // the other bank, the model and the telemetry stay
    expected.device_model = 4;
    expected.telemetry_text = {"a", "b"};
    EXPECT_EQ(stored, expected);
}

TEST_F(FormBinding, AnActiveBankOutsideZeroAndOneShowsThePrimary) {
    app.record.active_bank = 7;
    app.record.callsign = {"FIRST", "SECOND"};
    show(app.record);
    EXPECT_EQ(text(IDE_CALLSIGN), "FIRST");
    type(IDE_CALLSIGN, "EDIT");
    store(app.record);
    EXPECT_EQ(app.record.callsign, (PerBank<std::string>{"EDIT", "SECOND"}));
}

TEST_F(FormBinding, NumbersKeepTheLowBitsOfWhatStrtolReads) {
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "").auto_txd[0], 0);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "70000").auto_txd[0], 4464);
    EXPECT_EQ(store_typed(IDE_SLOW_SPEED, "300").slow_speed[0], 44);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "  -5").auto_txd[0], 65531);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "99999999999").auto_txd[0], 65535);  // 0x7FFFFFFF
    EXPECT_EQ(store_typed(IDE_SLOW_SPEED, "99999999999").slow_speed[0], 255);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "-99999999999").auto_txd[0], 0);  // 0x80000000
    EXPECT_EQ(store_typed(IDE_CALIBRATION, "99999999999").calibration, std::numeric_limits<int32_t>::max());
    // Only 99 characters are read: the hundredth digit is never seen.
    EXPECT_EQ(store_typed(IDE_CALIBRATION, std::string(98, '0') + "12").calibration, 1);
}

TEST_F(FormBinding, FrequencyIsReadWithAPointAndShownWithThreeDecimalsOrAnExponent) {
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "144.39").frequency_mhz[0], 144.39f);
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "145,5").frequency_mhz[0], 145.0f);
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "abc").frequency_mhz[0], 0.0f);
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "1e39").frequency_mhz[0], std::numeric_limits<float>::infinity());
    EXPECT_EQ(shown([](ConfigRecord&) {}, IDE_FREQUENCY), "144.390");
    EXPECT_EQ(shown([](ConfigRecord& r) { r.frequency_mhz[0] = 1e20f; }, IDE_FREQUENCY), "1.000e+20");
}

TEST_F(FormBinding, TextsAreStoredExactlyUpTo299CharactersAndSymbolsAsTheirFirstCharacter) {
    EXPECT_EQ(store_typed(IDE_STATUS_TEXT, std::string(300, 'x')).status_text[0], std::string(299, 'x'));
    EXPECT_EQ(store_typed(IDE_PATH, "  wide1-1, \t").path[0], "  wide1-1, \t");
    EXPECT_EQ(store_typed(IDE_CALLSIGN, "").callsign[0], "");
    fake_fail_text_reads(app.window, IDE_CALLSIGN);
    EXPECT_EQ(store_typed(IDE_CALLSIGN, "UNREAD").callsign[0], "") << "unreadable reads as empty";

    EXPECT_EQ(store_typed(IDE_SYMBOL, "").symbol_code[0], '\0');
    EXPECT_EQ(store_typed(IDE_SYMBOL_TABLE, "xyz").symbol_table[0], 'x');
    EXPECT_EQ(store_typed(IDE_SYMBOL_TABLE, " ").symbol_table[0], ' ');
    EXPECT_EQ(shown([](ConfigRecord& r) { r.symbol_code[0] = '\0'; }, IDE_SYMBOL), "");
}

TEST_F(FormBinding, ListsStoreThePositionAndShowNothingForAnIndexOutsideThem) {
    app.record.timestamp_mode[0] = 3; app.record.mic_e_message[0] = 8; app.record.mic_e_path[0] = 16;
    show(app.record);
    for (const int id : {IDC_TIMESTAMP, IDC_MIC_E_MESSAGE, IDC_MIC_E_PATH}) {
        EXPECT_EQ(get_selection(app.window, id), -1) << "control " << id;
    }
    store(app.record);  // no selection keeps its low bits
    EXPECT_EQ(std::make_tuple(app.record.timestamp_mode[0], app.record.mic_e_message[0], app.record.mic_e_path[0]),
              std::make_tuple(-1, 255, 255));
}

TEST_F(FormBinding, EnablingFollowsTheModel) {
    // Whether each control is enabled for models 0 to 6, with Send NMEA unchecked.
    const std::vector<std::pair<int, std::string>> by_model{
        {IDX_NO_GT_PREFIX, "0011111"},  {IDX_SERIAL_OUT_HIGH, "0001101"}, {IDX_NO_STARTUP_PACKET, "0011111"},
        {IDX_SERIAL_9600_BAUD, "0001101"}, {IDX_TX_TWIST, "0001111"},     {IDB_EDIT_TELEMETRY, "0001111"},
        {IDE_FREQUENCY, "0011011"},     {IDX_INVERT_CD_IN, "1101101"},    {IDX_ONLY_SEND_VALID, "1101101"},
        {IDX_SEND_300_BAUD, "1101101"}, {IDE_QUIET_TIME, "1101101"},      {IDX_NO_TX_ON_PTT_IN, "1101101"},
        {IDE_CALIBRATION, "1101101"},   {IDX_SEND_DAO, "0001111"},
    };
    for (int model = 0; model <= 6; ++model) {
        app.record.device_model = model;
        show(app.record);
        update_enabling();
        for (const auto& [id, enabled_for] : by_model) {
            EXPECT_EQ(enabled(id), enabled_for[static_cast<size_t>(model)] == '1') << "model " << model << ", " << id;
        }
    }
}

TEST_F(FormBinding, EnablingFollowsTheCheckBoxesInTheFormAndDisabledControlsKeepAndStoreTheirValues) {
    app.record.device_model = 3;
    app.record.quiet_time[0] = 999;
    show(app.record);
    update_enabling();
    // Defaults: SmartBeaconing, Time Slotting and Power Switch off, Mic-E on, Send NMEA off.
    EXPECT_EQ(fake_disabled_controls(app.window),
              (std::vector<int>{IDC_TIMESTAMP, IDE_TIME_SLOT_OFFSET, IDE_SLOW_SPEED, IDE_FAST_SPEED, IDE_SLOW_RATE,
                                IDE_FAST_RATE, IDE_MIN_TURN_ANGLE, IDE_TURN_SLOPE, IDE_MIN_TURN_TIME,
                                IDE_POWER_SWITCH_TIME}));
    for (const int id : {IDX_SMART_BEACON, IDX_TIME_SLOT, IDX_POWER_SWITCH, IDX_SEND_NMEA, IDX_MIC_E}) {
        set_check(app.window, id, id != IDX_MIC_E);
    }
    update_enabling();  // the form decides, not the record
    EXPECT_EQ(fake_disabled_controls(app.window),
              (std::vector<int>{IDE_AUTO_TX_RATE, IDX_FORCE_PRINTABLE, IDX_TRANSMIT_ALTITUDE, IDC_MIC_E_MESSAGE,
                                IDE_SYMBOL, IDC_MIC_E_PATH, IDE_SYMBOL_TABLE, IDX_SEND_DAO}));

    app.record.device_model = 5;
    update_enabling();
    show(app.record);  // unchecks Send NMEA, but leaves the enabling alone
    ASSERT_FALSE(enabled(IDE_SYMBOL));
    ASSERT_FALSE(enabled(IDE_QUIET_TIME));
    EXPECT_EQ(text(IDE_QUIET_TIME), "999");
    type(IDE_SYMBOL, "z");
    store(app.record);
    EXPECT_EQ(app.record.quiet_time[0], 999);
    EXPECT_EQ(app.record.symbol_code[0], 'z');
}

TEST_F(FormBinding, CheckingABoxClearsTheBoxesItExcludes) {
    const std::vector<int> boxes{IDX_TIME_SLOT, IDX_SMART_BEACON, IDX_MIC_E, IDX_POWER_SWITCH, IDX_SEND_NMEA};  // by id
    const std::vector<std::pair<int, std::vector<int>>> clicks{  // the box clicked, then the boxes checked
        {IDX_SEND_NMEA, {IDX_SEND_NMEA}},  // Mic-E was on
        {IDX_MIC_E, {IDX_MIC_E}},
        {IDX_MIC_E, {}},  // unchecking clears nothing
        {IDX_TIME_SLOT, {IDX_TIME_SLOT}},
        {IDX_POWER_SWITCH, {IDX_TIME_SLOT, IDX_POWER_SWITCH}},
        {IDX_SMART_BEACON, {IDX_SMART_BEACON}},
        {IDX_POWER_SWITCH, {IDX_SMART_BEACON, IDX_POWER_SWITCH}},  // Power Switch leaves SmartBeaconing
        {IDX_TIME_SLOT, {IDX_TIME_SLOT, IDX_POWER_SWITCH}},        // clears SmartBeaconing only
        {IDX_TIME_SLOT, {IDX_POWER_SWITCH}},
    };
    show(app.record);
    for (const auto& [id, expected] : clicks) {
        set_check(app.window, id, !checked(id));
        on_command(app, id);  // the window finds the box's rules
        std::vector<int> now;
        std::copy_if(boxes.begin(), boxes.end(), std::back_inserter(now), [&](int box) { return checked(box); });
        EXPECT_EQ(now, expected) << "after a click on " << id;
        EXPECT_EQ(enabled(IDE_SLOW_SPEED), checked(IDX_SMART_BEACON)) << "the enabling follows at once";
    }
}

}  // namespace
}  // namespace qv3::test
