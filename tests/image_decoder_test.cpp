// Decoding received images: units, flags, blocks, per-model values, and staying inside the bytes.
#include "test_support.h"

namespace qv3::test {
namespace {

void put(ImageBytes& image, int at, const Bytes& bytes) { std::copy(bytes.begin(), bytes.end(), image.begin() + at); }

TEST(DecodeImage, WrongLengthIsCorruptedAndLeavesTheRecordAlone) {
    for (const auto& [model, length] : std::vector<std::pair<int, int>>{{3, 255}, {4, 128}, {1, 256}, {0, 0}}) {
        ConfigRecord record{.device_model = model, .callsign = {"TYPED", "NOCALL"}};
        const ConfigRecord before = record;
        EXPECT_EQ(decode_image({encoded(record), length}, record), DecodeOutcome::CorruptedEeprom);
        EXPECT_EQ(record, before);
    }
}

TEST(DecodeImage, DefaultsComeBackButForWhatTheModelCannotHold) {
    // 67 ms is stored as 11 units, and model 4 stores no telemetry.
    const ConfigRecord expected{.device_model = 4, .manual_txd = {73, 73}, .send_telemetry = {0, 0},
                                .telemetry_channels = {1, 1}};
    EXPECT_EQ(decoded(encoded(defaults_for(4)), {.device_model = 4, .callsign = {"X", "Y"}}), expected);
}

TEST(DecodeImage, DurationsUseTheSinglePrecisionUnits) {
    const struct { uint8_t units; double unit_ms; int ms; } cases[] = {
        {60, kQuietUnitMs, 1578}, {5, kQuietUnitMs, 131}, {0, kQuietUnitMs, 0},
        {38, kTxdUnitMs, 253},    {38, kTxdUnit300BaudMs, 1013}, {250, kTxdUnitMs, 1666}};
    for (const auto& c : cases) EXPECT_EQ(units_to_ms(c.units, c.unit_ms), c.ms) << int(c.units);

    ImageBytes image = encoded(defaults_for(4));
    image[4] = 38;
    image[38] |= 0x02;  // send_300_baud in bank 0 picks the long TXD unit
    EXPECT_EQ(decoded(image, defaults_for(4)).auto_txd, (PerBank<uint16_t>{1013, 253}));
}

TEST(DecodeImage, TimestampComesFromTwoBitsAndSymbolsOutsidePrintableFallBack) {
    for (const auto& [flags, mode] : std::vector<std::pair<int, int>>{{0x20, 0}, {0x22, 1}, {0x02, 2}, {0x00, 0}}) {
        ImageBytes image = encoded(defaults_for(4));
        image[19] = static_cast<uint8_t>(flags);
        EXPECT_EQ(decoded(image, defaults_for(4)).timestamp_mode[1], mode) << flags;
    }
    ImageBytes image = encoded(defaults_for(4));
    put(image, 30, {0x00, 0x80, 0x10, 0x20});  // codes, then tables
    const ConfigRecord record = decoded(image, defaults_for(4));
    EXPECT_EQ(record.symbol_code, (PerBank<char>{'-', '-'}));
    EXPECT_EQ(record.symbol_table, (PerBank<char>{'/', ' '}));
}

TEST(DecodeImage, SharedBlocksDecodeForBothBanks) {
    const ConfigRecord source{.device_model = 6, .callsign = {"N0CALL-9", "N0CALL-9"}, .path = {"", ""},
                              .manual_txd = {73, 73}, .status_text = {"same", "same"},
                              .telemetry_text = {"A\r\nB", "A\r\nB"}};
    const ImageBytes image = encoded(source);
    EXPECT_EQ(image[0], image[1]);
    EXPECT_EQ(decoded(image, defaults_for(6)), source);
}

TEST(DecodeImage, TimingBlockOnlyForTheEnabledFeature) {
    ConfigRecord source{
        .device_model = 4, .time_slot_enable = {1, 1}, .smart_beacon_enable = {0, 1}, .slow_speed = {9, 9}};
    ImageBytes image = encoded(source);
    EXPECT_EQ(image[image[24]], 106);  // 120 - 15 + 1

    ConfigRecord record{.device_model = 4, .time_slot_offset = {1, 1}, .slow_speed = {77, 77}};
    ConfigRecord back = decoded(image, record);
    EXPECT_EQ(back.time_slot_offset, (PerBank<uint16_t>{15, 15}));
    EXPECT_EQ(back.slow_speed[1], 77);  // time slotting wins; SmartBeaconing values kept

    source.time_slot_enable = {0, 0};
    source.smart_beacon_enable = {1, 0};
    record.slow_speed = {5, 5};
    back = decoded(encoded(source), record);
    EXPECT_EQ(back.slow_speed, (PerBank<uint8_t>{9, 5}));  // bank 1 has neither feature: value kept
    EXPECT_EQ(back.time_slot_offset[0], 1);
}

TEST(DecodeImage, FrequencyFormsPerModel) {
    ImageBytes image = encoded(defaults_for(3));
    image[40] = 0xCE;
    image[42] = 0x70;
    EXPECT_EQ(decoded(image, {.device_model = 3, .frequency_mhz = {1.0f, 1.0f}}).frequency_mhz[0], 144.39f);

    image = encoded(defaults_for(6));
    put(image, image[40], {0x14, 0x62, 0x00});
    EXPECT_EQ(decoded(image, defaults_for(6)).frequency_mhz[0], 146.2f);

    const ConfigRecord rux{.device_model = 5, .frequency_mhz = {145.5f, 146.0f}};
    image = encoded(rux);
    EXPECT_EQ(decoded(image, defaults_for(5)).frequency_mhz, rux.frequency_mhz);
    image[image[40]] = '0' - 1;  // unvalidated digits contribute their value minus '0'
    EXPECT_EQ(decoded(image, rux).frequency_mhz[0], static_cast<float>((-10000 + 9100) / 200.0));
}

TEST(DecodeImage, ModelOneFixesWhatItDoesNotStore) {
    ImageBytes image = encoded(defaults_for(1));
    image[38] = image[39] = 0xFF;
    image[44] = 1;
    const ConfigRecord r =
        decoded(image, {.device_model = 1, .frequency_mhz = {146.0f, 146.0f}, .telemetry_text = {"x", "y"}});
    EXPECT_EQ(r.frequency_mhz, (PerBank<float>{144.39f, 144.39f}));
    EXPECT_EQ(r.telemetry_text, (PerBank<std::string>{"", ""}));
    for (int b = 0; b < 2; ++b) {
        // telemetry on, channels, rate, separate, 300 baud, then the flags the model lacks
        EXPECT_EQ((std::vector<int>{r.send_telemetry[b], r.telemetry_channels[b], r.telemetry_def_rate[b],
                                    r.send_separate[b], r.send_300_baud[b], r.no_gt_prefix[b], r.serial_out_high[b],
                                    r.no_startup_packet[b], r.serial_9600_baud[b], r.tx_twist[b], r.send_dao[b]}),
                  (std::vector<int>{0, 1, 0, 1, 1, 0, 0, 0, 0, 0, 0}));
    }
}

TEST(DecodeImage, PathAddressesAndBlankElements) {
    ImageBytes image = encoded(defaults_for(4));
    const int a = image[0];
    image[a + 6] |= 0x01;  // end bit on the callsign's own address
    EXPECT_EQ(decoded(image, defaults_for(4)).path[0], "");

    image = encoded(defaults_for(4));
    put(image, a + 7, {0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x60});  // first hop blank, SSID 0
    EXPECT_EQ(decoded(image, defaults_for(4)).path[0], "WIDE2-1");
}

// Offsets near the end, blocks running off it and a block without an end bit:
// the decoder keeps what lies inside and never reads past the received bytes.
// The buffer past a 128-byte image holds bytes that must never show up.
TEST(DecodeImage, BlocksRunningOffTheEndYieldWhatLiesInside) {
    ImageBytes image = encoded(defaults_for(1));
    std::fill(image.begin() + 128, image.end(), 'Q' << 1);
    image[0] = 124;  // an address that starts four bytes before the end
    put(image, 124, {'A' << 1, 'B' << 1, 'C' << 1, 'D' << 1});
    ConfigRecord r = decoded(image, defaults_for(1));
    EXPECT_EQ(r.callsign[0], "ABCD");
    EXPECT_EQ(r.path[0], "");

    std::fill(image.begin() + 100, image.begin() + 128, 'A' << 1);  // no end bit anywhere
    image[0] = 100;
    r = decoded(image, r);
    EXPECT_EQ(r.callsign[0], "AAAAAA-1");
    EXPECT_EQ(r.path[0], "AAAAAA-1,AAAAAA-1,AAAAAA-1");

    image[22] = 127;
    image[127] = 'Z';   // a status text without a terminator ends with the image
    image[16] |= 0x20;  // SmartBeaconing block three bytes before the end
    image[24] = 125;
    put(image, 125, {11, 22});
    r = decoded(image, r);
    EXPECT_EQ(r.status_text[0], "Z");
    // slow and fast speed, slow rate, fast rate and minimum turn time
    EXPECT_EQ((std::vector<int>{r.slow_speed[0], r.fast_speed[0], r.slow_rate[0], r.fast_rate[0], r.min_turn_time[0]}),
              (std::vector<int>{11, 22, 'Z', 0, 0}));

    ImageBytes big = encoded(defaults_for(6));
    big[0] = 252;
    big[40] = 254;
    big[50] = 255;
    big[255] = 0x99;
    const ConfigRecord zenda = decoded(big, defaults_for(6));
    EXPECT_EQ(zenda.frequency_mhz[0], 9.9f);
    EXPECT_EQ(zenda.telemetry_text[0].size(), 1u);
}

}  // namespace
}  // namespace qv3::test
