// Decoding received images: units, flags, blocks, per-model values, and staying inside the bytes.
#include <gtest/gtest.h>

#include "model/image_decoder.h"
#include "test_support.h"

namespace qv3 {
namespace {

using test::defaults_for;
using test::encoded;

TEST(DecodeImage, WrongLengthIsCorruptedAndLeavesTheRecordAlone) {
    const struct {
        int model;
        int length;
    } cases[] = {{3, 255}, {4, 128}, {1, 256}, {0, 0}};
    for (const auto& c : cases) {
        ReceivedImage image = encoded(defaults_for(c.model));
        image.length = c.length;
        ConfigRecord record = defaults_for(c.model);
        record.callsign[0] = "TYPED";
        const ConfigRecord before = record;
        EXPECT_EQ(decode_image(image, record), DecodeOutcome::CorruptedEeprom);
        EXPECT_EQ(record, before);
    }
    EXPECT_STREQ(decode_status_text(DecodeOutcome::CorruptedEeprom), "Corrupted EEPROM");
    EXPECT_STREQ(decode_status_text(DecodeOutcome::Success), "Read Config Successful");
}

TEST(DecodeImage, DefaultsComeBackButForWhatTheModelCannotHold) {
    ConfigRecord record = defaults_for(4);
    ReceivedImage image = encoded(record);
    record.callsign = {"X", "Y"};
    ASSERT_EQ(decode_image(image, record), DecodeOutcome::Success);

    ConfigRecord expected = defaults_for(4);
    expected.manual_txd = {73, 73};       // 67 ms is stored as 11 units
    expected.send_telemetry = {0, 0};     // model 4 stores no telemetry
    expected.telemetry_channels = {1, 1};
    EXPECT_EQ(record, expected);
}

TEST(DecodeImage, DurationsUseTheSinglePrecisionUnits) {
    EXPECT_EQ(units_to_ms(60, kQuietUnitMs), 1578);
    EXPECT_EQ(units_to_ms(5, kQuietUnitMs), 131);
    EXPECT_EQ(units_to_ms(0, kQuietUnitMs), 0);
    EXPECT_EQ(units_to_ms(38, kTxdUnitMs), 253);
    EXPECT_EQ(units_to_ms(38, kTxdUnit300BaudMs), 1013);
    EXPECT_EQ(units_to_ms(10, kTxdUnitMs), 67);
    EXPECT_EQ(units_to_ms(250, kTxdUnitMs), 1666);

    ReceivedImage image = encoded(defaults_for(4));
    image.bytes[4] = 38;
    image.bytes[38] |= 0x02;  // send_300_baud in bank 0 picks the long TXD unit
    ConfigRecord record = defaults_for(4);
    decode_image(image, record);
    EXPECT_EQ(record.auto_txd[0], 1013);
    EXPECT_EQ(record.auto_txd[1], 253);
}

TEST(DecodeImage, TimestampComesFromTwoBits) {
    const struct {
        uint8_t flags;
        int mode;
    } cases[] = {{0x20, 0}, {0x22, 1}, {0x02, 2}, {0x00, 0}};
    for (const auto& c : cases) {
        ReceivedImage image = encoded(defaults_for(4));
        image.bytes[19] = c.flags;
        ConfigRecord record = defaults_for(4);
        decode_image(image, record);
        EXPECT_EQ(record.timestamp_mode[1], c.mode) << int(c.flags);
    }
}

TEST(DecodeImage, SharedBlocksDecodeForBothBanks) {
    ConfigRecord source = defaults_for(6);
    source.callsign = {"N0CALL-9", "N0CALL-9"};
    source.path = {"", ""};
    source.status_text = {"same", "same"};
    source.telemetry_text = {"A\r\nB", "A\r\nB"};
    ReceivedImage image = encoded(source);
    EXPECT_EQ(image.bytes[0], image.bytes[1]);
    ConfigRecord record = defaults_for(6);
    decode_image(image, record);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(record.callsign[b], "N0CALL-9");
        EXPECT_EQ(record.path[b], "");
        EXPECT_EQ(record.status_text[b], "same");
        EXPECT_EQ(record.telemetry_text[b], "A\r\nB");
    }
}

TEST(DecodeImage, TimingBlockOnlyForTheEnabledFeature) {
    ConfigRecord source = defaults_for(4);
    source.time_slot_enable = {1, 1};
    source.smart_beacon_enable = {0, 1};
    source.slow_speed = {9, 9};
    ReceivedImage image = encoded(source);
    EXPECT_EQ(image.bytes[image.bytes[24]], 106);  // 120 - 15 + 1

    ConfigRecord record = defaults_for(4);
    record.time_slot_offset = {1, 1};
    record.slow_speed = {77, 77};
    decode_image(image, record);
    EXPECT_EQ(record.time_slot_offset[0], 15);
    EXPECT_EQ(record.time_slot_offset[1], 15);
    EXPECT_EQ(record.slow_speed[1], 77);  // time slotting wins; SmartBeaconing values kept

    source.time_slot_enable = {0, 0};
    source.smart_beacon_enable = {1, 0};
    image = encoded(source);
    record = defaults_for(4);
    record.time_slot_offset = {1, 1};
    decode_image(image, record);
    EXPECT_EQ(record.slow_speed[0], 9);
    EXPECT_EQ(record.slow_speed[1], 5);  // bank 1 has neither feature: value kept
    EXPECT_EQ(record.time_slot_offset[0], 1);
}

TEST(DecodeImage, FrequencyFormsPerModel) {
    ReceivedImage image = encoded(defaults_for(3));
    image.bytes[40] = 0xCE;
    image.bytes[42] = 0x70;
    ConfigRecord record = defaults_for(3);
    record.frequency_mhz = {1.0f, 1.0f};
    decode_image(image, record);
    EXPECT_EQ(record.frequency_mhz[0], 144.39f);

    image = encoded(defaults_for(6));
    const int block = image.bytes[40];
    image.bytes[block] = 0x14;
    image.bytes[block + 1] = 0x62;
    image.bytes[block + 2] = 0x00;
    record = defaults_for(6);
    decode_image(image, record);
    EXPECT_EQ(record.frequency_mhz[0], 146.2f);

    ConfigRecord rux = defaults_for(5);
    rux.frequency_mhz = {145.5f, 146.0f};
    image = encoded(rux);
    record = defaults_for(5);
    decode_image(image, record);
    EXPECT_EQ(record.frequency_mhz[0], 145.5f);
    EXPECT_EQ(record.frequency_mhz[1], 146.0f);

    // Unvalidated digits contribute their value minus '0'.
    image.bytes[image.bytes[40]] = '0' - 1;
    decode_image(image, record);
    EXPECT_EQ(record.frequency_mhz[0], static_cast<float>((-10000 + 9100) / 200.0));
}

TEST(DecodeImage, ModelOneFixesWhatItDoesNotStore) {
    ReceivedImage image = encoded(defaults_for(1));
    image.bytes[38] = image.bytes[39] = 0xFF;
    image.bytes[44] = 1;
    ConfigRecord record = defaults_for(1);
    record.telemetry_text = {"x", "y"};
    record.frequency_mhz = {146.0f, 146.0f};
    decode_image(image, record);
    for (int b = 0; b < 2; ++b) {
        EXPECT_EQ(record.frequency_mhz[b], 144.39f);
        EXPECT_EQ(record.send_telemetry[b], 0);
        EXPECT_EQ(record.telemetry_channels[b], 1);
        EXPECT_EQ(record.telemetry_def_rate[b], 0);
        EXPECT_EQ(record.telemetry_text[b], "");
        EXPECT_EQ(record.send_separate[b], 1);
        EXPECT_EQ(record.send_300_baud[b], 1);
        EXPECT_EQ(record.no_gt_prefix[b] | record.serial_out_high[b] | record.no_startup_packet[b] |
                      record.serial_9600_baud[b] | record.tx_twist[b] | record.send_dao[b],
                  0);
    }
}

TEST(DecodeImage, SymbolsOutsidePrintableBecomeFallbacks) {
    ReceivedImage image = encoded(defaults_for(4));
    image.bytes[30] = 0x00;
    image.bytes[31] = 0x9F;
    image.bytes[32] = 0x10;
    image.bytes[33] = 0x20;
    ConfigRecord record = defaults_for(4);
    decode_image(image, record);
    EXPECT_EQ(record.symbol_code[0], '-');
    EXPECT_EQ(record.symbol_code[1], '-');
    EXPECT_EQ(record.symbol_table[0], '/');
    EXPECT_EQ(record.symbol_table[1], ' ');
}

TEST(DecodeImage, PathAddressesAndBlankElements) {
    ReceivedImage image = encoded(defaults_for(4));
    const int a = image.bytes[0];
    ConfigRecord record = defaults_for(4);
    decode_image(image, record);
    EXPECT_EQ(record.path[0], "WIDE1-1,WIDE2-1");

    image.bytes[a + 6] |= 0x01;  // end bit on the callsign's own address
    decode_image(image, record);
    EXPECT_EQ(record.path[0], "");

    image = encoded(defaults_for(4));
    for (int i = 0; i < 6; ++i) image.bytes[a + 7 + i] = 0x40;  // first hop blank, SSID 0
    image.bytes[a + 13] = 0x60;
    decode_image(image, record);
    EXPECT_EQ(record.path[0], "WIDE2-1");
}

// Offsets near the end, blocks running off it and a block without an end bit:
// the decoder keeps what lies inside and never reads past the received bytes.
// The buffer past a 128-byte image holds bytes that must never show up.
TEST(DecodeImage, BlocksRunningOffTheEndYieldWhatLiesInside) {
    ReceivedImage image = encoded(defaults_for(1));
    for (size_t i = 128; i < image.bytes.size(); ++i) image.bytes[i] = 'Q' << 1;
    ConfigRecord record = defaults_for(1);

    image.bytes[0] = 124;  // an address that starts four bytes before the end
    for (int i = 0; i < 4; ++i) image.bytes[124 + i] = static_cast<uint8_t>(('A' + i) << 1);
    decode_image(image, record);
    EXPECT_EQ(record.callsign[0], "ABCD");
    EXPECT_EQ(record.path[0], "");

    for (int i = 100; i < 128; ++i) image.bytes[i] = 'A' << 1;  // no end bit anywhere
    image.bytes[0] = 100;
    decode_image(image, record);
    EXPECT_EQ(record.callsign[0], "AAAAAA-1");
    EXPECT_EQ(record.path[0], "AAAAAA-1,AAAAAA-1,AAAAAA-1");

    image.bytes[22] = 127;
    image.bytes[127] = 'Z';  // a status text without a terminator ends with the image
    image.bytes[16] |= 0x20;  // SmartBeaconing block three bytes before the end
    image.bytes[24] = 125;
    image.bytes[125] = 11;
    image.bytes[126] = 22;
    decode_image(image, record);
    EXPECT_EQ(record.status_text[0], "Z");
    EXPECT_EQ(record.slow_speed[0], 11);
    EXPECT_EQ(record.fast_speed[0], 22);
    EXPECT_EQ(record.slow_rate[0], 'Z');
    EXPECT_EQ(record.fast_rate[0], 0);
    EXPECT_EQ(record.min_turn_time[0], 0);

    ReceivedImage big = encoded(defaults_for(6));
    big.bytes[0] = 252;
    big.bytes[40] = 254;
    big.bytes[50] = 255;
    big.bytes[255] = 0x99;
    ConfigRecord zenda = defaults_for(6);
    decode_image(big, zenda);
    EXPECT_EQ(zenda.frequency_mhz[0], 9.9f);
    EXPECT_EQ(zenda.telemetry_text[0].size(), 1u);
}

}  // namespace
}  // namespace qv3
