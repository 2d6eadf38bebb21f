// Callsign and path text <-> station address: the lenient rules operators rely on.
#include <gtest/gtest.h>

#include "model/station_address.h"

namespace qv3 {
namespace {

std::string chars_of(const StationAddress& a) { return std::string(a.chars.begin(), a.chars.end()); }

struct AddressCase {
    const char* text;
    const char* chars;
    int ssid;
};

TEST(TextToAddress, FollowsTheLenientScan) {
    const AddressCase cases[] = {
        {"nocall", "NOCALL", 0},      {"N0CALL-9", "N0CALL", 9},   {"N0CALL-15", "N0CALL", 15},
        {"N0CALL-16", "N0CALL", 0},   {"N0CALL-", "N0CALL", 0},    {"N0CALL--3", "N0CALL", 0},
        {"N0CALL- 7", "N0CALL", 7},   {"N0CALL-+7", "N0CALL", 7},  {"N0CALL-09", "N0CALL", 9},
        {"N0CALL-0", "N0CALL", 0},    {"N0CALLXY-5", "N0CALL", 5}, {"AB C-3", "ABC   ", 3},
        {"RELAY*", "RELAY ", 0},      {"WIDE2*-2", "WIDE2 ", 0},   {"WIDE2-2*", "WIDE2 ", 2},
        {"-5", "      ", 5},          {"", "      ", 0},           {"N0/CALL", "N0    ", 0},
        {"N0CALL-99999999999999", "N0CALL", 0},                    {"A\xC3\xA9" "B\tC", "ABC   ", 0},
    };
    for (const auto& c : cases) {
        const StationAddress a = text_to_address(c.text);
        EXPECT_EQ(chars_of(a), c.chars) << c.text;
        EXPECT_EQ(a.ssid, c.ssid) << c.text;
    }
}

TEST(SplitPath, OneAddressPerElementAndNoneForATrailingComma) {
    EXPECT_TRUE(split_path("").empty());
    EXPECT_EQ(split_path("WIDE1-1,WIDE2-1").size(), 2u);
    EXPECT_EQ(split_path("WIDE1-1, WIDE2-1"), split_path("WIDE1-1,WIDE2-1"));
    EXPECT_EQ(split_path("WIDE1-1,").size(), 1u);

    const auto leading = split_path(",WIDE2-1");
    ASSERT_EQ(leading.size(), 2u);
    EXPECT_EQ(leading[0], StationAddress{});
    EXPECT_EQ(chars_of(leading[1]), "WIDE2 ");
    EXPECT_EQ(leading[1].ssid, 1);

    EXPECT_EQ(split_path("   ").size(), 1u);
    EXPECT_EQ(split_path("WIDE1-1,,").size(), 2u);
    // Anything after an element's stop character up to the next comma is ignored.
    const auto ignored = split_path("WIDE1-1xyz,WIDE2");
    ASSERT_EQ(ignored.size(), 2u);
    EXPECT_EQ(ignored[0].ssid, 1);
}

TEST(AddressToText, DropsSpacesAndAddsTheSsid) {
    EXPECT_EQ(address_to_text(address_to_bytes(text_to_address("nocall"))), "NOCALL");
    EXPECT_EQ(address_to_text(address_to_bytes(text_to_address("N0CALL-0"))), "N0CALL");
    EXPECT_EQ(address_to_text(address_to_bytes(text_to_address("ABC-12"))), "ABC-12");
    EXPECT_EQ(address_to_text(address_to_bytes(text_to_address("-5"))), "-5");
    EXPECT_EQ(address_to_text(address_to_bytes(StationAddress{})), "");
    // Only bits 1-4 of the SSID byte count, and character bytes are not validated.
    EXPECT_EQ(address_to_text({0x82, 0x84, 0x40, 0x40, 0x40, 0x40, 0xFF}), "AB-15");
    EXPECT_EQ(address_to_text({0xC3, 0x40, 0x40, 0x40, 0x40, 0x40, 0x61}), "a");
}

TEST(AddressBytes, AreShiftedCharactersAndSsidByte) {
    const AddressBytes bytes = address_to_bytes(text_to_address("WIDE2-1"));
    EXPECT_EQ(bytes, (AddressBytes{0xAE, 0x92, 0x88, 0x8A, 0x64, 0x40, 0x62}));
}

TEST(JoinPath, KeepsEmptyElementsAsEmptyPlaces) {
    EXPECT_EQ(join_path({}), "");
    EXPECT_EQ(join_path({"", "WIDE2-1"}), "WIDE2-1");
    EXPECT_EQ(join_path({"WIDE1-1", "", "WIDE2-1"}), "WIDE1-1,,WIDE2-1");
    EXPECT_EQ(join_path({"WIDE1-1", ""}), "WIDE1-1,");
}

TEST(PathText, IsNormalisedThroughTheImageForm) {
    std::vector<std::string> texts;
    for (const auto& a : split_path("wide1-1, wide2-1")) texts.push_back(address_to_text(address_to_bytes(a)));
    EXPECT_EQ(join_path(texts), "WIDE1-1,WIDE2-1");
}

}  // namespace
}  // namespace qv3
