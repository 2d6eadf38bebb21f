// Callsign and path text <-> station address: the lenient rules operators rely on.
#include <gtest/gtest.h>

#include "model/station_address.h"

namespace qv3 {
namespace {

std::string chars_of(const StationAddress& a) { return std::string(a.chars.begin(), a.chars.end()); }
std::string through_bytes(const std::string& text) { return address_to_text(address_to_bytes(text_to_address(text))); }

TEST(TextToAddress, FollowsTheLenientScan) {
    const struct { const char *text, *chars; int ssid; } cases[] = {
        {"nocall", "NOCALL", 0},      {"N0CALL-9", "N0CALL", 9},   {"N0CALL-15", "N0CALL", 15},
        {"N0CALL-16", "N0CALL", 0},   {"N0CALL-", "N0CALL", 0},    {"N0CALL--3", "N0CALL", 0},
        {"N0CALL- 7", "N0CALL", 7},   {"N0CALL-+7", "N0CALL", 7},  {"N0CALL-09", "N0CALL", 9},
        {"N0CALL-0", "N0CALL", 0},    {"N0CALLXY-5", "N0CALL", 5}, {"AB C-3", "ABC   ", 3},
        {"RELAY*", "RELAY ", 0},      {"WIDE2*-2", "WIDE2 ", 0},   {"WIDE2-2*", "WIDE2 ", 2},
        {"-5", "      ", 5},          {"", "      ", 0},           {"N0/CALL", "N0    ", 0},
        {"N0\x7F" "CALL", "N0    ", 0},
        {"N0CALL-99999999999999", "N0CALL", 0},                    {"A\xC3\xA9" "B\tC", "ABC   ", 0},
    };
    for (const auto& c : cases) {
        const StationAddress a = text_to_address(c.text);
        EXPECT_EQ(chars_of(a), c.chars) << c.text;
        EXPECT_EQ(a.ssid, c.ssid) << c.text;
    }
}

TEST(SplitPath, OneAddressPerElementAndNoneForATrailingComma) {
    const std::pair<const char*, size_t> sizes[] = {{"", 0}, {"WIDE1-1,WIDE2-1", 2}, {"WIDE1-1,", 1}, {"   ", 1},
                                                    {"WIDE1-1,,", 2}};
    for (const auto& [path, size] : sizes) EXPECT_EQ(split_path(path).size(), size) << path;
    EXPECT_EQ(split_path("WIDE1-1, WIDE2-1"), split_path("WIDE1-1,WIDE2-1"));

    const auto leading = split_path(",WIDE2-1");
    ASSERT_EQ(leading.size(), 2u);
    EXPECT_EQ(leading[0], StationAddress{});
    EXPECT_EQ(leading[1], text_to_address("WIDE2-1"));
    // Anything after an element's stop character up to the next comma is ignored.
    EXPECT_EQ(split_path("WIDE1-1xyz,WIDE2"), (std::vector{text_to_address("WIDE1-1"), text_to_address("WIDE2")}));
}

TEST(AddressToText, DropsSpacesAndAddsTheSsid) {
    const std::pair<const char*, const char*> cases[] = {
        {"nocall", "NOCALL"}, {"N0CALL-0", "N0CALL"}, {"ABC-12", "ABC-12"}, {"-5", "-5"}, {"", ""}};
    for (const auto& [text, back] : cases) EXPECT_EQ(through_bytes(text), back) << text;
    // Only bits 1-4 of the SSID byte count, and character bytes are not validated.
    EXPECT_EQ(address_to_text({0x82, 0x84, 0x40, 0x40, 0x40, 0x40, 0xFF}), "AB-15");
    EXPECT_EQ(address_to_text({0xC3, 0x40, 0x40, 0x40, 0x40, 0x40, 0x61}), "a");
}

TEST(JoinPath, KeepsEmptyElementsAsEmptyPlaces) {
    EXPECT_EQ(join_path({}), "");
    EXPECT_EQ(join_path({"", "WIDE2-1"}), "WIDE2-1");
    EXPECT_EQ(join_path({"WIDE1-1", "", "WIDE2-1"}), "WIDE1-1,,WIDE2-1");
    EXPECT_EQ(join_path({"WIDE1-1", ""}), "WIDE1-1,");
    std::vector<std::string> texts;  // the path text is normalised through the image form
    for (const auto& a : split_path("wide1-1, wide2-1")) texts.push_back(address_to_text(address_to_bytes(a)));
    EXPECT_EQ(join_path(texts), "WIDE1-1,WIDE2-1");
}

}  // namespace
}  // namespace qv3
