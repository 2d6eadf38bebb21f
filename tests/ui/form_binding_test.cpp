// The settings controls and the record: both copies, every conversion, enabling and check-box exclusions.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "ui/control_ids.h"
#include "ui/form_binding.h"
#include "ui/form_fields.h"
#include "ui_fixture.h"

namespace qv3::test {
namespace {

class FormBinding : public UiTest {
protected:
    FormBinding() {
        fill_list(app.window, IDC_MIC_E_MESSAGE, kMicEMessageItems);
        fill_list(app.window, IDC_MIC_E_PATH, kMicEPathItems);
        fill_list(app.window, IDC_TIMESTAMP, kTimestampItems);
    }

    // Shows the record, types value into id and stores the form again.
    ConfigRecord store_typed(int id, const std::string& value) {
        record_to_form(app.window, app.record);
        type(id, value);
        ConfigRecord stored = app.record;
        form_to_record(app.window, stored);
        return stored;
    }

    bool enabled(int id) const { return is_enabled(app.window, id); }
    bool checked(int id) const { return get_check(app.window, id); }
    void click(int id) {
        set_check(app.window, id, !get_check(app.window, id));
        check_box_clicked(app.window, app.record, id);
    }
};

// A record whose bank 1 differs from the defaults in every field the form shows.
ConfigRecord unusual_secondary() {
    ConfigRecord r;
    r.active_bank = Secondary;
    r.calibration = -40000;
    r.callsign[1] = "W1AW-9";
    r.path[1] = "WIDE2-2";
    r.auto_txd[1] = 65535;
    r.manual_txd[1] = 1;
    r.auto_tx_rate[1] = 2;
    r.manual_tx_rate[1] = 3;
    r.quiet_time[1] = 4;
    r.force_printable[1] = 1;
    r.only_send_valid[1] = 0;
    r.time_slot_enable[1] = 1;
    r.smart_beacon_enable[1] = 1;
    r.transmit_altitude[1] = 0;
    r.mic_e_enable[1] = 0;
    r.power_switch_enable[1] = 1;
    r.allow_ttl_serial[1] = 1;
    r.alternate_digi_paths[1] = 1;
    r.invert_cd_in[1] = 1;
    r.no_tx_on_ptt_in[1] = 1;
    r.send_nmea[1] = 1;
    r.send_separate[1] = 1;
    r.no_gt_prefix[1] = 1;
    r.send_300_baud[1] = 1;
    r.serial_out_high[1] = 1;
    r.no_startup_packet[1] = 1;
    r.serial_9600_baud[1] = 1;
    r.tx_twist[1] = 0;
    r.send_dao[1] = 0;
    r.timestamp_mode[1] = 2;
    r.mic_e_message[1] = 7;
    r.mic_e_path[1] = 15;
    r.status_every[1] = 255;
    r.status_text[1] = "On the air";
    r.time_slot_offset[1] = 5;
    r.slow_speed[1] = 6;
    r.fast_speed[1] = 7;
    r.slow_rate[1] = 8;
    r.fast_rate[1] = 9;
    r.min_turn_angle[1] = 10;
    r.turn_slope[1] = 11;
    r.min_turn_time[1] = 12;
    r.power_switch_time[1] = 13;
    r.symbol_code[1] = 'k';
    r.symbol_table[1] = '\\';
    r.frequency_mhz[1] = 145.825f;
    return r;
}

TEST_F(FormBinding, EachFieldIsShownInItsOwnControl) {
    app.record = unusual_secondary();
    record_to_form(app.window, app.record);
    const std::vector<std::pair<int, std::string>> texts{
        {IDE_CALIBRATION, "-40000"}, {IDE_CALLSIGN, "W1AW-9"},  {IDE_PATH, "WIDE2-2"},
        {IDE_AUTO_TXD, "65535"},     {IDE_MANUAL_TXD, "1"},     {IDE_AUTO_TX_RATE, "2"},
        {IDE_MANUAL_TX_RATE, "3"},   {IDE_QUIET_TIME, "4"},     {IDE_STATUS_EVERY, "255"},
        {IDE_STATUS_TEXT, "On the air"}, {IDE_TIME_SLOT_OFFSET, "5"}, {IDE_SLOW_SPEED, "6"},
        {IDE_FAST_SPEED, "7"},       {IDE_SLOW_RATE, "8"},      {IDE_FAST_RATE, "9"},
        {IDE_MIN_TURN_ANGLE, "10"},  {IDE_TURN_SLOPE, "11"},    {IDE_MIN_TURN_TIME, "12"},
        {IDE_POWER_SWITCH_TIME, "13"}, {IDE_SYMBOL, "k"},       {IDE_SYMBOL_TABLE, "\\"},
        {IDE_FREQUENCY, "145.825"},
    };
    for (const auto& [id, expected] : texts) EXPECT_EQ(text(id), expected) << "control " << id;

    const std::vector<std::pair<int, bool>> checks{
        {IDX_FORCE_PRINTABLE, true},   {IDX_ONLY_SEND_VALID, false},    {IDX_TIME_SLOT, true},
        {IDX_SMART_BEACON, true},      {IDX_TRANSMIT_ALTITUDE, false},  {IDX_MIC_E, false},
        {IDX_POWER_SWITCH, true},      {IDX_ALLOW_TTL_SERIAL, true},    {IDX_ALTERNATE_DIGI_PATHS, true},
        {IDX_INVERT_CD_IN, true},      {IDX_NO_TX_ON_PTT_IN, true},     {IDX_SEND_NMEA, true},
        {IDX_SEND_SEPARATE, true},     {IDX_NO_GT_PREFIX, true},        {IDX_SEND_300_BAUD, true},
        {IDX_SERIAL_OUT_HIGH, true},   {IDX_NO_STARTUP_PACKET, true},   {IDX_SERIAL_9600_BAUD, true},
        {IDX_TX_TWIST, false},         {IDX_SEND_DAO, false},
    };
    for (const auto& [id, expected] : checks) EXPECT_EQ(checked(id), expected) << "control " << id;

    EXPECT_EQ(get_selection(app.window, IDC_TIMESTAMP), 2);
    EXPECT_EQ(get_selection(app.window, IDC_MIC_E_MESSAGE), 7);
    EXPECT_EQ(get_selection(app.window, IDC_MIC_E_PATH), 15);
    EXPECT_EQ(text(IDC_MIC_E_PATH), "West + WIDE");
    // Time Slotting and SmartBeaconing together are shown as they are.
    EXPECT_TRUE(checked(IDX_TIME_SLOT) && checked(IDX_SMART_BEACON));
}

TEST_F(FormBinding, FormToRecordStoresEveryFieldOfTheShownBankOnly) {
    const ConfigRecord unusual = unusual_secondary();
    record_to_form(app.window, unusual);

    ConfigRecord stored;  // defaults, bank 1 shown
    stored.active_bank = Secondary;
    stored.device_model = 4;
    stored.telemetry_text = {"a", "b"};
    form_to_record(app.window, stored);

    ConfigRecord expected = unusual;
    expected.device_model = 4;
    expected.telemetry_text = {"a", "b"};
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(stored.callsign[0], "NOCALL");  // the other bank stays
    EXPECT_EQ(stored.active_bank, Secondary);
}

TEST_F(FormBinding, RecordToFormLeavesEnablingAlone) {
    set_enabled(app.window, IDE_CALLSIGN, false);
    set_enabled(app.window, IDE_SLOW_SPEED, true);
    record_to_form(app.window, app.record);
    EXPECT_FALSE(enabled(IDE_CALLSIGN));
    EXPECT_TRUE(enabled(IDE_SLOW_SPEED));
}

TEST_F(FormBinding, DecimalFieldsKeepTheLowBitsOfWhatStrtolReads) {
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "").auto_txd[0], 0);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "70000").auto_txd[0], 4464);
    EXPECT_EQ(store_typed(IDE_STATUS_EVERY, "256").status_every[0], 0);
    EXPECT_EQ(store_typed(IDE_SLOW_SPEED, "300").slow_speed[0], 44);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "  -5").auto_txd[0], 65531);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "+7x").auto_txd[0], 7);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "99999999999").auto_txd[0], 65535);   // 0x7FFFFFFF
    EXPECT_EQ(store_typed(IDE_SLOW_SPEED, "99999999999").slow_speed[0], 255);
    EXPECT_EQ(store_typed(IDE_AUTO_TXD, "-99999999999").auto_txd[0], 0);     // 0x80000000
    EXPECT_EQ(store_typed(IDE_CALIBRATION, "99999999999").calibration, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(store_typed(IDE_CALIBRATION, "-99999999999").calibration, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(store_typed(IDE_CALIBRATION, "-7").calibration, -7);
    // Only 99 characters are read: the hundredth digit is never seen.
    EXPECT_EQ(store_typed(IDE_CALIBRATION, std::string(98, '0') + "12").calibration, 1);

    app.record = store_typed(IDE_AUTO_TXD, "70000");
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_AUTO_TXD), "4464");
}

TEST_F(FormBinding, FrequencyIsReadWithAPointAndShownWithThreeDecimals) {
    EXPECT_EQ(text(IDE_FREQUENCY), "");
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_FREQUENCY), "144.390");

    app.record = store_typed(IDE_FREQUENCY, "144.39");
    EXPECT_EQ(app.record.frequency_mhz[0], 144.39f);
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_FREQUENCY), "144.390");

    EXPECT_EQ(store_typed(IDE_FREQUENCY, "145,5").frequency_mhz[0], 145.0f);
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "abc").frequency_mhz[0], 0.0f);
    EXPECT_EQ(store_typed(IDE_FREQUENCY, "1e39").frequency_mhz[0], std::numeric_limits<float>::infinity());

    app.record.frequency_mhz[0] = 1e20f;
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_FREQUENCY), "1.000e+20");
    app.record.frequency_mhz[0] = std::numeric_limits<float>::infinity();
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_FREQUENCY), "inf");
}

TEST_F(FormBinding, TextsAreStoredExactlyUpTo299Characters) {
    EXPECT_EQ(store_typed(IDE_STATUS_TEXT, std::string(300, 'x')).status_text[0], std::string(299, 'x'));
    EXPECT_EQ(store_typed(IDE_CALLSIGN, std::string(299, 'c')).callsign[0], std::string(299, 'c'));
    EXPECT_EQ(store_typed(IDE_PATH, "  wide1-1, \t").path[0], "  wide1-1, \t");
    EXPECT_EQ(store_typed(IDE_CALLSIGN, "").callsign[0], "");

    record_to_form(app.window, app.record);
    fake_fail_text_reads(app.window, IDE_CALLSIGN);
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.callsign[0], "");
}

TEST_F(FormBinding, SymbolAndTableKeepTheFirstCharacter) {
    const ConfigRecord empty = store_typed(IDE_SYMBOL, "");
    EXPECT_EQ(empty.symbol_code[0], '\0');
    EXPECT_EQ(store_typed(IDE_SYMBOL_TABLE, "xyz").symbol_table[0], 'x');
    EXPECT_EQ(store_typed(IDE_SYMBOL_TABLE, " ").symbol_table[0], ' ');

    record_to_form(app.window, empty);
    EXPECT_EQ(text(IDE_SYMBOL), "");
    EXPECT_EQ(text(IDE_SYMBOL_TABLE), "/");
}

TEST_F(FormBinding, ListsStoreThePositionAndShowNothingForAnIndexOutsideThem) {
    app.record.timestamp_mode[0] = 3;
    app.record.mic_e_message[0] = 8;
    app.record.mic_e_path[0] = 16;
    record_to_form(app.window, app.record);
    for (const int id : {IDC_TIMESTAMP, IDC_MIC_E_MESSAGE, IDC_MIC_E_PATH}) {
        EXPECT_EQ(get_selection(app.window, id), -1) << "control " << id;
    }
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.timestamp_mode[0], -1);
    EXPECT_EQ(app.record.mic_e_message[0], 255);
    EXPECT_EQ(app.record.mic_e_path[0], 255);

    app.record.timestamp_mode[0] = -1;
    record_to_form(app.window, app.record);
    EXPECT_EQ(get_selection(app.window, IDC_TIMESTAMP), -1);

    set_selection(app.window, IDC_MIC_E_MESSAGE, 7);
    set_selection(app.window, IDC_TIMESTAMP, 1);
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.mic_e_message[0], 7);
    EXPECT_EQ(app.record.timestamp_mode[0], 1);
}

TEST_F(FormBinding, ChecksStoreOneOrZero) {
    record_to_form(app.window, app.record);
    set_check(app.window, IDX_SEND_DAO, false);
    set_check(app.window, IDX_SEND_NMEA, true);
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.send_dao[0], 0);
    EXPECT_EQ(app.record.send_nmea[0], 1);
}

TEST_F(FormBinding, ItemListsHoldTheirItemsInOrder) {
    EXPECT_EQ(fake_list_items(app.window, IDC_MIC_E_MESSAGE).front(), "Off Duty");
    EXPECT_EQ(fake_list_items(app.window, IDC_MIC_E_MESSAGE).back(), "Emergency!");
    EXPECT_EQ(fake_list_items(app.window, IDC_MIC_E_PATH).size(), 16u);
    EXPECT_EQ(fake_list_items(app.window, IDC_MIC_E_PATH)[12], "North + WIDE");
    EXPECT_EQ(fake_list_items(app.window, IDC_TIMESTAMP), (std::vector<std::string>{"None", "HMS", "DHM"}));
}

const std::vector<int> kModelControls{IDX_NO_GT_PREFIX,      IDX_SERIAL_OUT_HIGH, IDX_NO_STARTUP_PACKET,
                                      IDX_SERIAL_9600_BAUD,  IDX_TX_TWIST,        IDB_EDIT_TELEMETRY,
                                      IDE_FREQUENCY,         IDX_INVERT_CD_IN,    IDX_ONLY_SEND_VALID,
                                      IDX_SEND_300_BAUD,     IDE_QUIET_TIME,      IDX_NO_TX_ON_PTT_IN,
                                      IDE_CALIBRATION,       IDX_SEND_DAO};

TEST_F(FormBinding, EnablingFollowsTheModel) {
    struct Case {
        int model;
        std::vector<int> disabled;  // of kModelControls, Send NMEA unchecked
    };
    const std::vector<Case> cases{
        {0, {IDX_NO_GT_PREFIX, IDX_SERIAL_OUT_HIGH, IDX_NO_STARTUP_PACKET, IDX_SERIAL_9600_BAUD, IDX_TX_TWIST,
             IDB_EDIT_TELEMETRY, IDE_FREQUENCY, IDX_SEND_DAO}},
        {1, {IDX_NO_GT_PREFIX, IDX_SERIAL_OUT_HIGH, IDX_NO_STARTUP_PACKET, IDX_SERIAL_9600_BAUD, IDX_TX_TWIST,
             IDB_EDIT_TELEMETRY, IDE_FREQUENCY, IDX_SEND_DAO}},
        {2, {IDX_SERIAL_OUT_HIGH, IDX_SERIAL_9600_BAUD, IDX_TX_TWIST, IDB_EDIT_TELEMETRY, IDX_INVERT_CD_IN,
             IDX_ONLY_SEND_VALID, IDX_SEND_300_BAUD, IDE_QUIET_TIME, IDX_NO_TX_ON_PTT_IN, IDE_CALIBRATION,
             IDX_SEND_DAO}},
        {3, {}},
        {4, {IDE_FREQUENCY}},
        {5, {IDX_SERIAL_OUT_HIGH, IDX_SERIAL_9600_BAUD, IDX_INVERT_CD_IN, IDX_ONLY_SEND_VALID, IDX_SEND_300_BAUD,
             IDE_QUIET_TIME, IDX_NO_TX_ON_PTT_IN, IDE_CALIBRATION}},
        {6, {}},
    };
    for (const Case& c : cases) {
        app.record.device_model = c.model;
        record_to_form(app.window, app.record);
        update_enabling(app.window, app.record);
        for (const int id : kModelControls) {
            const bool expect_disabled = std::find(c.disabled.begin(), c.disabled.end(), id) != c.disabled.end();
            EXPECT_EQ(enabled(id), !expect_disabled) << "model " << c.model << ", control " << id;
        }
    }
}

TEST_F(FormBinding, EnablingFollowsTheCheckBoxesInTheForm) {
    app.record.device_model = 3;
    record_to_form(app.window, app.record);
    update_enabling(app.window, app.record);
    // Defaults: SmartBeaconing, Time Slotting and Power Switch off, Mic-E on, Send NMEA off.
    EXPECT_EQ(fake_disabled_controls(app.window),
              (std::vector<int>{IDC_TIMESTAMP, IDE_TIME_SLOT_OFFSET, IDE_SLOW_SPEED, IDE_FAST_SPEED, IDE_SLOW_RATE,
                                IDE_FAST_RATE, IDE_MIN_TURN_ANGLE, IDE_TURN_SLOPE, IDE_MIN_TURN_TIME,
                                IDE_POWER_SWITCH_TIME}));

    for (const int id : {IDX_SMART_BEACON, IDX_TIME_SLOT, IDX_POWER_SWITCH, IDX_SEND_NMEA}) {
        set_check(app.window, id, true);
    }
    set_check(app.window, IDX_MIC_E, false);
    update_enabling(app.window, app.record);  // the form decides, not the record
    EXPECT_EQ(fake_disabled_controls(app.window),
              (std::vector<int>{IDE_AUTO_TX_RATE, IDX_FORCE_PRINTABLE, IDX_TRANSMIT_ALTITUDE, IDC_MIC_E_MESSAGE,
                                IDE_SYMBOL, IDC_MIC_E_PATH, IDE_SYMBOL_TABLE, IDX_SEND_DAO}));
}

TEST_F(FormBinding, DisablingKeepsValuesAndDisabledControlsAreStillStored) {
    app.record.device_model = 5;
    app.record.quiet_time[0] = 999;
    record_to_form(app.window, app.record);
    update_enabling(app.window, app.record);
    ASSERT_FALSE(enabled(IDE_QUIET_TIME));
    ASSERT_FALSE(enabled(IDE_SLOW_SPEED));
    EXPECT_EQ(text(IDE_QUIET_TIME), "999");
    type(IDE_SLOW_SPEED, "77");
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.quiet_time[0], 999);
    EXPECT_EQ(app.record.slow_speed[0], 77);
}

TEST_F(FormBinding, SendNmeaAndMicEExcludeEachOther) {
    record_to_form(app.window, app.record);  // Mic-E on
    click(IDX_SEND_NMEA);
    EXPECT_TRUE(checked(IDX_SEND_NMEA));
    EXPECT_FALSE(checked(IDX_MIC_E));
    EXPECT_FALSE(enabled(IDE_SYMBOL));
    EXPECT_FALSE(enabled(IDC_MIC_E_MESSAGE));
    EXPECT_TRUE(enabled(IDC_TIMESTAMP));

    click(IDX_MIC_E);
    EXPECT_TRUE(checked(IDX_MIC_E));
    EXPECT_FALSE(checked(IDX_SEND_NMEA));
    EXPECT_TRUE(enabled(IDE_SYMBOL));
    EXPECT_TRUE(enabled(IDC_MIC_E_MESSAGE));
    EXPECT_FALSE(enabled(IDC_TIMESTAMP));

    click(IDX_MIC_E);  // unchecking clears nothing
    EXPECT_FALSE(checked(IDX_MIC_E));
    EXPECT_FALSE(checked(IDX_SEND_NMEA));
    EXPECT_TRUE(enabled(IDC_TIMESTAMP));
}

TEST_F(FormBinding, SmartBeaconingExcludesTimeSlottingAndPowerSwitch) {
    record_to_form(app.window, app.record);
    click(IDX_TIME_SLOT);
    click(IDX_POWER_SWITCH);
    EXPECT_TRUE(checked(IDX_TIME_SLOT));
    EXPECT_TRUE(checked(IDX_POWER_SWITCH));
    EXPECT_TRUE(enabled(IDE_TIME_SLOT_OFFSET));
    EXPECT_TRUE(enabled(IDE_POWER_SWITCH_TIME));

    click(IDX_SMART_BEACON);
    EXPECT_TRUE(checked(IDX_SMART_BEACON));
    EXPECT_FALSE(checked(IDX_TIME_SLOT));
    EXPECT_FALSE(checked(IDX_POWER_SWITCH));
    EXPECT_FALSE(enabled(IDE_TIME_SLOT_OFFSET));
    EXPECT_FALSE(enabled(IDE_POWER_SWITCH_TIME));
    EXPECT_TRUE(enabled(IDE_SLOW_SPEED));
    EXPECT_FALSE(enabled(IDE_AUTO_TX_RATE));

    click(IDX_POWER_SWITCH);  // Power Switch leaves SmartBeaconing
    EXPECT_TRUE(checked(IDX_POWER_SWITCH));
    EXPECT_TRUE(checked(IDX_SMART_BEACON));
    EXPECT_TRUE(enabled(IDE_POWER_SWITCH_TIME));

    click(IDX_TIME_SLOT);  // clears SmartBeaconing only, not what that would clear
    EXPECT_TRUE(checked(IDX_TIME_SLOT));
    EXPECT_FALSE(checked(IDX_SMART_BEACON));
    EXPECT_TRUE(checked(IDX_POWER_SWITCH));
    EXPECT_TRUE(enabled(IDE_AUTO_TX_RATE));
    EXPECT_FALSE(enabled(IDE_SLOW_SPEED));

    click(IDX_TIME_SLOT);  // unchecking clears nothing
    EXPECT_FALSE(checked(IDX_TIME_SLOT));
    EXPECT_TRUE(checked(IDX_POWER_SWITCH));
}

TEST_F(FormBinding, AnActiveBankOutsideZeroAndOneShowsThePrimary) {
    app.record.active_bank = 7;
    app.record.callsign = {"FIRST", "SECOND"};
    record_to_form(app.window, app.record);
    EXPECT_EQ(text(IDE_CALLSIGN), "FIRST");
    type(IDE_CALLSIGN, "EDIT");
    form_to_record(app.window, app.record);
    EXPECT_EQ(app.record.callsign, (PerBank<std::string>{"EDIT", "SECOND"}));
}

}  // namespace
}  // namespace qv3::test
