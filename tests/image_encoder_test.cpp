// Encoding: header conversions, block sharing, the text room rule and the "does not fit" outcome.
#include <cmath>
#include <limits>

#include "test_support.h"

namespace qv3::test {
namespace {

Bytes text_bytes(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

class EncodeImage : public ::testing::Test {
protected:
    ImageBytes image{};
    EncodeOutcome encode(ConfigRecord& record) { return encode_image(record, image); }
    Bytes at(int from, int count) const { return {image.begin() + from, image.begin() + from + count}; }
    // The block that the offset byte at index points to.
    Bytes block(int index, int count) const { return at(image[index], count); }
};

TEST_F(EncodeImage, DefaultsPerModel) {
    const struct { int model, from; Bytes bytes; bool via_offset = false; } cases[] = {
        {4, 0, {52, 52, 0x80, 0x80, 0x26, 0x26, 0x0B, 0x0B}}, {4, 16, {0xC2, 0xC2}}, {4, 22, {76, 76, 52, 76}},
        {4, 34, {0x3C, 0x3C}}, {4, 38, {0xC0, 0xC0}}, {4, 76, text_bytes("Quorvale3")}, {4, 86, Bytes(170, 0)},
        {4, 52, {0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x60, 0xAE, 0x92, 0x88, 0x8A, 0x62,     // NOCALL, WIDE1-1,
                 0x40, 0x62, 0xAE, 0x92, 0x88, 0x8A, 0x64, 0x40, 0x63, 0x03, 0xF0, 0x00}},  // WIDE2-1, UI frame
        {1, 0, {40, 40}}, {1, 22, {64, 64, 40, 64}}, {1, 38, {0, 0}}, {1, 64, text_bytes("Quorvale3")},
        {2, 22, {72}}, {2, 40, {66, 66}}, {2, 66, text_bytes("28878")},
        {3, 22, {76}}, {3, 40, {0xCE, 0xCE, 0x70, 0x70, 1, 1, 2, 2, 0, 0, 86, 86}}, {3, 86, {0}},
        {6, 40, {0x14, 0x43, 0x90}, true},
    };
    for (const auto& c : cases) {
        ConfigRecord record = defaults_for(c.model);
        image.fill(0xEE);
        EXPECT_EQ(encode(record), EncodeOutcome::Complete);
        const int from = c.via_offset ? image[c.from] : c.from;
        EXPECT_EQ(at(from, static_cast<int>(c.bytes.size())), c.bytes) << c.model << " at " << c.from;
    }
    EXPECT_EQ(image[40], image[41]);  // model 6 stores the frequency once
}

TEST_F(EncodeImage, ModelRulesAdjustTheRecord) {
    ConfigRecord one = defaults_for(1), two = defaults_for(2);
    ConfigRecord rux{.device_model = 5, .only_send_valid = {0, 0}, .no_tx_on_ptt_in = {0, 0}};
    ConfigRecord none{.device_model = 0, .serial_out_high = {1, 1}};
    encode(one);
    encode(two);
    for (const ConfigRecord* r : {&one, &two}) {  // below model 3: no TX twist, DAO or telemetry
        EXPECT_EQ((std::vector{r->tx_twist, r->send_dao, r->send_telemetry}), std::vector<PerBank<uint8_t>>(3));
    }
    EXPECT_EQ(two.no_tx_on_ptt_in[1], 1);  // models 2 and 5 always keep "no TX on PTT in"
    EXPECT_EQ(image[18] & 0x40, 0x40);
    encode(rux);  // forces both on and keeps TX twist
    EXPECT_EQ((std::vector{rux.only_send_valid, rux.no_tx_on_ptt_in, rux.tx_twist}),
              (std::vector<PerBank<uint8_t>>(3, {1, 1})));
    encode(none);
    EXPECT_EQ(image[38], 0);  // model 0 writes only bits 0 and 1
    EXPECT_EQ(image[0], 52);  // and its header is 52 bytes
}

// A code that names no model, whatever int it is, lays out and reads back as code 0.
TEST_F(EncodeImage, CodesWithoutAModelActAsNoModel) {
    const ImageBytes none = encoded(defaults_for(kModelNone));
    for (const int code : {-1, kModelMax + 1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        ConfigRecord record = defaults_for(code);
        EXPECT_EQ(encode(record), EncodeOutcome::Complete) << code;
        EXPECT_EQ(image, none) << code;
        EXPECT_EQ(image_size_for_model(code), 128) << code;
        decoded(image, record);  // the 128 bytes read back
    }
}

TEST_F(EncodeImage, FrequencyRangeAndSharing) {
    const float nan = std::nanf("");
    const struct { PerBank<float> mhz; const char *primary, *secondary; bool shared; } cases[] = {
        {{148.0f, 143.999f}, "29600", "28878", false},  // in range up to 148, default below 144
        {{100.0f, 200.0f}, "28878", "28878", false},    // equal content, separate blocks
        {{146.52f, 146.52f}, "29304", "29304", true},
        {{148.001f, nan}, "28878", "28878", false},
    };
    ConfigRecord record = defaults_for(5);
    for (const auto& c : cases) {
        record.frequency_mhz = c.mhz;
        encode(record);
        EXPECT_EQ(block(40, 6), text_bytes(c.primary)) << c.mhz[0];
        EXPECT_EQ(block(41, 6), text_bytes(c.secondary)) << c.mhz[1];
        EXPECT_EQ(image[40] == image[41], c.shared) << c.mhz[0];
    }
    EXPECT_TRUE(std::isnan(record.frequency_mhz[1]));  // the record keeps its value

    ConfigRecord kx{.device_model = 3, .frequency_mhz = {nan, 1e30f}};
    encode(kx);
    EXPECT_EQ(at(40, 4), (Bytes{0xCE, 0xCE, 0x70, 0x70}));
}

TEST_F(EncodeImage, DurationUnitsAreLimitedToAByte) {
    EXPECT_EQ(ms_to_units(2000, 3.0, static_cast<double>(6.666f)), 255);
    EXPECT_EQ(ms_to_units(65535, 13.0, static_cast<double>(26.3f)), 255);
    ConfigRecord record{.device_model = 4, .send_300_baud = {1, 0}};
    encode(record);
    EXPECT_EQ(at(2, 4), (Bytes{128, 128, 10, 38}));  // 253 ms in 26.666 ms units, then 6.666 ms units
    record.calibration = -1;
    encode(record);
    EXPECT_EQ(at(2, 2), (Bytes{0xFF, 0xFF}));
}

TEST_F(EncodeImage, TimeSlotBlockAndRateBits) {
    ConfigRecord record{.device_model = 4, .auto_tx_rate = {120, 20}, .time_slot_enable = {1, 1}};
    encode(record);
    EXPECT_EQ(block(24, 2), (Bytes{0x6A, 0x00}));
    EXPECT_EQ(image[16] & 0x18, 0x10);
    EXPECT_EQ(image[17] & 0x18, 0x18);
    record.auto_tx_rate = {0, 10};
    record.time_slot_offset = {0, 16};  // V = -5 is kept modulo 65536
    record.smart_beacon_enable = {1, 0};
    encode(record);
    EXPECT_EQ(image[16] & 0x3C, 0x24);  // both enables set, no rate bits for rate 0
    EXPECT_EQ(block(25, 2), (Bytes{0xFB, 0xFF}));
    EXPECT_EQ(image[0] - image[24], 2);  // only the time-slot block, never SmartBeaconing
}

TEST_F(EncodeImage, AddressBlocksAndTheirSharing) {
    ConfigRecord record{.device_model = 4, .path = {"", "WIDE1-1"}};
    encode(record);
    EXPECT_EQ(block(0, 10), (Bytes{0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x61, 0x03, 0xF0, 0x00}));
    EXPECT_EQ(image[1] - image[0], 10);  // bank 1 has a block of its own, callsign included
    EXPECT_EQ(block(1, 7), (Bytes{0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x60}));

    record.path = {"WIDE1-1", "WIDE1-1"};
    record.callsign = {"nocall", "NOCALL"};  // texts compared as typed
    encode(record);
    EXPECT_NE(image[0], image[1]);
    EXPECT_EQ(block(0, 17), block(1, 17));
    record.callsign = {"NOCALL", "NOCALL"};
    encode(record);
    EXPECT_EQ(image[0], image[1]);
}

TEST_F(EncodeImage, TextsAreCutFromTheBackAndKeepTheLastByteForATerminator) {
    ConfigRecord record{.device_model = 1, .status_text = {std::string(30, 'P'), std::string(60, 'S')}};
    EXPECT_EQ(encode(record), EncodeOutcome::TextTruncated);
    EXPECT_EQ(at(22, 2), (Bytes{64, 95}));
    EXPECT_EQ(at(64, 31), text_bytes(std::string(30, 'P')));
    EXPECT_EQ(at(95, 33), text_bytes(std::string(32, 'S')));
    EXPECT_EQ(at(128, 128), Bytes(128, 0));

    // A first text ending at size - 2 fits; a following empty text shares its terminator.
    record.status_text = {std::string(63, 'P'), ""};  // last character at 126
    EXPECT_EQ(encode(record), EncodeOutcome::Complete);
    EXPECT_EQ(at(126, 2), (Bytes{'P', 0}));
    EXPECT_EQ(image[23], 127);
    record.status_text[1] = "x";
    EXPECT_EQ(encode(record), EncodeOutcome::TextTruncated);
    EXPECT_EQ(image[23], 127);
    EXPECT_EQ(image[127], 0);

    // Identical texts are stored, and cut, once.
    record.status_text = {std::string(100, 'T'), std::string(100, 'T')};
    EXPECT_EQ(encode(record), EncodeOutcome::TextTruncated);
    EXPECT_EQ(image[22], image[23]);

    // Carriage returns in telemetry text are dropped, so they take no room and never cause a cut.
    ConfigRecord kx{.device_model = 3, .telemetry_text = {"A\r\nB", ""}};
    encode(kx);
    EXPECT_EQ(block(50, 4), (Bytes{'A', '\n', 'B', 0}));
    kx.telemetry_text = {std::string(160, 'T') + std::string(500, '\r'), ""};
    EXPECT_EQ(encode(kx), EncodeOutcome::Complete);
}

TEST_F(EncodeImage, BlocksThatOverrunTheImageDoNotFitAndStayInTheBuffer) {
    ConfigRecord record{.device_model = 6, .path = {std::string(299, ','), std::string(298, ',')}};  // blank hops
    EXPECT_EQ(encode(record), EncodeOutcome::DoesNotFit);

    // Exactly at the edge: header 40 + two 10-byte blocks = 60; every extra hop adds 7.
    // 9 hops in bank 0 -> 40 + 73 + 10 = 123
    ConfigRecord edge{.device_model = 1, .callsign = {"A", "B"}, .path = {"W,W,W,W,W,W,W,W,W,", ""}, .status_text = {}};
    EXPECT_EQ(encode(edge), EncodeOutcome::Complete);
    edge.path[1] = "W";  // bank 1: 17 bytes -> 40 + 73 + 17 = 130, past 127
    EXPECT_EQ(encode(edge), EncodeOutcome::DoesNotFit);
    edge.path[1] = "";
    edge.time_slot_enable = {1, 1};  // + 4 -> 127: the last byte is the texts' shared terminator
    EXPECT_EQ(encode(edge), EncodeOutcome::Complete);
    EXPECT_EQ(image[22], 127);
    edge.status_text = {"x", ""};
    EXPECT_EQ(encode(edge), EncodeOutcome::TextTruncated);
    edge.time_slot_enable = {1, 0};
    edge.smart_beacon_enable = {0, 1};  // + 2 + 10 -> 135
    EXPECT_EQ(encode(edge), EncodeOutcome::DoesNotFit);
}

}  // namespace
}  // namespace qv3::test
