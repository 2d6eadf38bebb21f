// Encoding: header conversions, block sharing, the text room rule and the "does not fit" outcome.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/image_encoder.h"
#include "test_support.h"

namespace qv3 {
namespace {

using test::defaults_for;

std::vector<uint8_t> bytes_at(const ImageBytes& image, int from, int count) {
    return {image.begin() + from, image.begin() + from + count};
}

std::vector<uint8_t> text_bytes(const std::string& text, bool terminator = true) {
    std::vector<uint8_t> out(text.begin(), text.end());
    if (terminator) out.push_back(0);
    return out;
}

TEST(EncodeImage, DefaultsForModelFour) {
    ConfigRecord record = defaults_for(4);
    ImageBytes image{};
    image.fill(0xEE);
    ASSERT_EQ(encode_image(record, image), EncodeOutcome::Complete);
    EXPECT_EQ(bytes_at(image, 0, 8), (std::vector<uint8_t>{52, 52, 0x80, 0x80, 0x26, 0x26, 0x0B, 0x0B}));
    EXPECT_EQ(bytes_at(image, 16, 2), (std::vector<uint8_t>{0xC2, 0xC2}));
    EXPECT_EQ(bytes_at(image, 22, 4), (std::vector<uint8_t>{76, 76, 52, 76}));
    EXPECT_EQ(bytes_at(image, 34, 2), (std::vector<uint8_t>{0x3C, 0x3C}));
    EXPECT_EQ(bytes_at(image, 38, 2), (std::vector<uint8_t>{0xC0, 0xC0}));
    EXPECT_EQ(bytes_at(image, 52, 24),
              (std::vector<uint8_t>{0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x60, 0xAE, 0x92, 0x88, 0x8A, 0x62,
                                    0x40, 0x62, 0xAE, 0x92, 0x88, 0x8A, 0x64, 0x40, 0x63, 0x03, 0xF0, 0x00}));
    EXPECT_EQ(bytes_at(image, 76, 10), text_bytes("Quorvale3"));
    for (int i = 86; i < 256; ++i) EXPECT_EQ(image[i], 0) << i;
}

TEST(EncodeImage, DefaultsForTheOtherModels) {
    ImageBytes image{};
    ConfigRecord one = defaults_for(1);
    EXPECT_EQ(encode_image(one, image), EncodeOutcome::Complete);
    EXPECT_EQ(bytes_at(image, 0, 2), (std::vector<uint8_t>{40, 40}));
    EXPECT_EQ(bytes_at(image, 22, 4), (std::vector<uint8_t>{64, 64, 40, 64}));
    EXPECT_EQ(bytes_at(image, 38, 2), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(bytes_at(image, 64, 10), text_bytes("Quorvale3"));
    for (int b = 0; b < 2; ++b) EXPECT_EQ(one.tx_twist[b] | one.send_dao[b] | one.send_telemetry[b], 0);

    ConfigRecord two = defaults_for(2);
    encode_image(two, image);
    EXPECT_EQ(bytes_at(image, 40, 2), (std::vector<uint8_t>{66, 66}));
    EXPECT_EQ(bytes_at(image, 66, 6), text_bytes("28878"));
    EXPECT_EQ(image[22], 72);
    EXPECT_EQ(image[18] & 0x40, 0x40);
    EXPECT_EQ(two.no_tx_on_ptt_in[1], 1);

    ConfigRecord three = defaults_for(3);
    encode_image(three, image);
    EXPECT_EQ(bytes_at(image, 40, 12),
              (std::vector<uint8_t>{0xCE, 0xCE, 0x70, 0x70, 1, 1, 2, 2, 0, 0, 86, 86}));
    EXPECT_EQ(image[22], 76);
    EXPECT_EQ(image[86], 0);

    ConfigRecord six = defaults_for(6);
    encode_image(six, image);
    EXPECT_EQ(bytes_at(image, image[40], 3), (std::vector<uint8_t>{0x14, 0x43, 0x90}));
    EXPECT_EQ(image[40], image[41]);
}

TEST(EncodeImage, FrequencyRangeAndSharing) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(5);
    record.frequency_mhz = {148.0f, 143.999f};
    encode_image(record, image);
    EXPECT_EQ(bytes_at(image, image[40], 6), text_bytes("29600"));
    EXPECT_EQ(bytes_at(image, image[41], 6), text_bytes("28878"));

    record.frequency_mhz = {148.001f, std::nanf("")};
    encode_image(record, image);
    EXPECT_EQ(bytes_at(image, image[40], 6), text_bytes("28878"));
    EXPECT_EQ(bytes_at(image, image[41], 6), text_bytes("28878"));
    EXPECT_TRUE(std::isnan(record.frequency_mhz[1]));  // the record keeps its value

    record.frequency_mhz = {100.0f, 200.0f};
    encode_image(record, image);
    EXPECT_NE(image[40], image[41]);  // separate blocks with equal content
    EXPECT_EQ(bytes_at(image, image[40], 6), bytes_at(image, image[41], 6));

    record.frequency_mhz = {146.52f, 146.52f};
    encode_image(record, image);
    EXPECT_EQ(image[40], image[41]);

    ConfigRecord kx = defaults_for(3);
    kx.frequency_mhz = {std::nanf(""), 1e30f};
    encode_image(kx, image);
    EXPECT_EQ(bytes_at(image, 40, 4), (std::vector<uint8_t>{0xCE, 0xCE, 0x70, 0x70}));
}

TEST(EncodeImage, DurationUnitsAreLimitedToAByte) {
    EXPECT_EQ(ms_to_units(2000, 3.0, static_cast<double>(6.666f)), 255);
    EXPECT_EQ(ms_to_units(65535, 13.0, static_cast<double>(26.3f)), 255);
    ImageBytes image{};
    ConfigRecord record = defaults_for(4);
    record.send_300_baud = {1, 0};
    encode_image(record, image);
    EXPECT_EQ(image[4], 10);  // 253 ms in 26.666 ms units
    EXPECT_EQ(image[5], 38);
    EXPECT_EQ(image[2], 128);
    record.calibration = -1;
    encode_image(record, image);
    EXPECT_EQ(image[2], 0xFF);
    EXPECT_EQ(image[3], 0xFF);
}

TEST(EncodeImage, TimeSlotBlockAndRateBits) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(4);
    record.time_slot_enable = {1, 1};
    record.auto_tx_rate = {120, 30};
    encode_image(record, image);
    EXPECT_EQ(bytes_at(image, image[24], 2), (std::vector<uint8_t>{0x6A, 0x00}));
    EXPECT_EQ(image[16] & 0x18, 0x10);
    EXPECT_EQ(image[17] & 0x18, 0x18);

    record.auto_tx_rate = {0, 10};
    record.time_slot_offset = {0, 16};  // V = -5 is kept modulo 65536
    record.smart_beacon_enable = {1, 0};
    encode_image(record, image);
    EXPECT_EQ(image[16] & 0x3C, 0x24);  // both enables set, no rate bits for rate 0
    EXPECT_EQ(bytes_at(image, image[25], 2), (std::vector<uint8_t>{0xFB, 0xFF}));
    EXPECT_EQ(image[0] - image[24], 2);  // only the time-slot block, never SmartBeaconing
}

TEST(EncodeImage, AddressBlocksAndTheirSharing) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(4);
    record.path = {"", "WIDE1-1"};
    encode_image(record, image);
    EXPECT_EQ(bytes_at(image, image[0], 10),
              (std::vector<uint8_t>{0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x61, 0x03, 0xF0, 0x00}));
    EXPECT_EQ(image[1] - image[0], 10);  // bank 1 has a block of its own, callsign included
    EXPECT_EQ(bytes_at(image, image[1], 7), (std::vector<uint8_t>{0x9C, 0x9E, 0x86, 0x82, 0x98, 0x98, 0x60}));

    record.path = {"WIDE1-1", "WIDE1-1"};
    record.callsign = {"nocall", "NOCALL"};  // texts compared as typed
    encode_image(record, image);
    EXPECT_NE(image[0], image[1]);
    EXPECT_EQ(bytes_at(image, image[0], 17), bytes_at(image, image[1], 17));

    record.callsign = {"NOCALL", "NOCALL"};
    encode_image(record, image);
    EXPECT_EQ(image[0], image[1]);
}

TEST(EncodeImage, TextsAreCutFromTheBackAndKeepTheLastByteForATerminator) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(1);
    record.status_text = {std::string(30, 'P'), std::string(60, 'S')};
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::TextTruncated);
    EXPECT_EQ(image[22], 64);
    EXPECT_EQ(bytes_at(image, 64, 31), text_bytes(std::string(30, 'P')));
    EXPECT_EQ(image[23], 95);
    EXPECT_EQ(bytes_at(image, 95, 33), text_bytes(std::string(32, 'S')));
    for (int i = 128; i < 256; ++i) EXPECT_EQ(image[i], 0);

    // A first text ending at size - 2 fits; a following empty text shares its terminator.
    record.status_text = {std::string(63, 'P'), ""};  // last character at 126
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::Complete);
    EXPECT_EQ(image[126], 'P');
    EXPECT_EQ(image[127], 0);
    EXPECT_EQ(image[23], 127);
    record.status_text[1] = "x";
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::TextTruncated);
    EXPECT_EQ(image[23], 127);
    EXPECT_EQ(image[127], 0);

    // Identical texts are stored, and cut, once.
    record.status_text = {std::string(100, 'T'), std::string(100, 'T')};
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::TextTruncated);
    EXPECT_EQ(image[22], image[23]);
}

TEST(EncodeImage, TelemetryTextDropsCarriageReturns) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(3);
    record.telemetry_text = {"A\r\nB", ""};
    encode_image(record, image);
    EXPECT_EQ(bytes_at(image, image[50], 4), (std::vector<uint8_t>{'A', '\n', 'B', 0}));
    // Carriage returns take no room, so they never cause a cut.
    record.telemetry_text = {std::string(160, 'T') + std::string(500, '\r'), ""};
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::Complete);
}

TEST(EncodeImage, BlocksThatOverrunTheImageDoNotFitAndStayInTheBuffer) {
    ImageBytes image{};
    ConfigRecord record = defaults_for(6);
    record.path = {std::string(299, ','), std::string(298, ',')};  // hundreds of 7-byte blank hops
    EXPECT_EQ(encode_image(record, image), EncodeOutcome::DoesNotFit);

    // Exactly at the edge: the fixed blocks leave the write position at size - 1.
    ConfigRecord edge = defaults_for(1);
    edge.status_text = {"", ""};
    edge.path = {"", ""};
    edge.callsign = {"A", "B"};
    // header 40 + two 10-byte blocks = 60; every extra hop adds 7
    std::string hops;
    for (int i = 0; i < 9; ++i) hops += "W,";
    edge.path[0] = hops;  // 9 hops -> 40 + 73 + 10 = 123
    EXPECT_EQ(encode_image(edge, image), EncodeOutcome::Complete);
    edge.callsign[1] = "B";
    edge.path[1] = "W";  // bank 1: 17 bytes -> 40 + 73 + 17 = 130, past 127
    EXPECT_EQ(encode_image(edge, image), EncodeOutcome::DoesNotFit);
    edge.path[1] = "";
    edge.time_slot_enable = {1, 1};  // + 4 -> 127: the last byte is the texts' shared terminator
    EXPECT_EQ(encode_image(edge, image), EncodeOutcome::Complete);
    EXPECT_EQ(image[22], 127);
    edge.status_text = {"x", ""};
    EXPECT_EQ(encode_image(edge, image), EncodeOutcome::TextTruncated);
    edge.time_slot_enable = {1, 0};
    edge.smart_beacon_enable = {0, 1};  // + 2 + 10 -> 135
    EXPECT_EQ(encode_image(edge, image), EncodeOutcome::DoesNotFit);
}

TEST(EncodeImage, ModelRulesAdjustTheRecord) {
    ImageBytes image{};
    ConfigRecord rux = defaults_for(5);
    rux.only_send_valid = {0, 0};
    rux.no_tx_on_ptt_in = {0, 0};
    encode_image(rux, image);
    EXPECT_EQ(rux.only_send_valid, (PerBank<uint8_t>{1, 1}));
    EXPECT_EQ(rux.no_tx_on_ptt_in, (PerBank<uint8_t>{1, 1}));
    EXPECT_EQ(rux.tx_twist, (PerBank<uint8_t>{1, 1}));  // model 5 keeps TX twist

    ConfigRecord none = defaults_for(0);
    none.serial_out_high = {1, 1};
    encode_image(none, image);
    EXPECT_EQ(image[38], 0);  // model 0 writes only bits 0 and 1
    EXPECT_EQ(image[0], 52);  // and its header is 52 bytes
}

}  // namespace
}  // namespace qv3
