// The settings text: printed order and forms, reading it back, and every kind of bad line.
#include <gtest/gtest.h>

#include "cli/settings_text.h"
#include "model/tracker_text.h"

namespace qv3 {
namespace {

bool has_line(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST(SettingsText, PrintsEveryKeyInTheRecordsOrder) {
    const auto pairs = settings_to_pairs(ConfigRecord{});
    ASSERT_EQ(pairs.size(), 2u + 2u * 48u);
    const std::pair<size_t, const char*> keys[] = {{0, "model"}, {1, "calibration"}, {2, "primary.callsign"},
        {49, "primary.telemetry_text"}, {50, "secondary.callsign"}, {97, "secondary.telemetry_text"}};
    for (const auto& [index, key] : keys) EXPECT_EQ(pairs[index].first, key);

    const std::string text = settings_to_text(ConfigRecord{});
    for (const char* line : {"model = 0", "primary.frequency_mhz = 144.39", "primary.status_text = \"Quorvale3\"",
                             "secondary.symbol_code = \">\"", "secondary.telemetry_text = \"\""}) {
        EXPECT_TRUE(has_line(text, line)) << line;
    }
}

TEST(SettingsText, EscapesAndOddValuesSurviveTheRoundTrip) {
    const ConfigRecord record{
        .device_model = 6, .calibration = -7, .timestamp_mode = {0, -1},
        .status_text = {std::string("q\"b\\s\r\n\t\x01\x7F\x80\x9F\xA0\xE9\xFF\0z", 17), "Quorvale3"},
        .symbol_code = {'>', '\0'}, .symbol_table = {'"', '/'}, .frequency_mhz = {146.52f, 1e-3f},
        .telemetry_def_rate = {-2147483647 - 1, 0}};
    const std::string text = settings_to_text(record);
    // Control codes of both halves escaped, the rest as UTF-8 characters.
    EXPECT_TRUE(has_line(text, R"(primary.status_text = "q\"b\\s\r\n\t\x01\x7F\x80\x9F)" "\u00A0\u00E9\u00FF" R"(\x00z")"));
    EXPECT_TRUE(has_line(text, "secondary.symbol_code = \"\""));
    EXPECT_TRUE(has_line(text, "primary.frequency_mhz = 146.52"));

    ConfigRecord back;
    ASSERT_EQ(parse_settings_text(text, back), "");
    EXPECT_EQ(back, record);
}

TEST(SettingsText, ReadsKeysInAnyOrderAndKeepsDefaultsForMissingOnes) {
    const std::string text = "# a comment\n\n  secondary.callsign = \"N0CALL-9\"  \r\nprimary.auto_txd=300\nmodel = 3\n"
                             "primary.frequency_mhz = 146.520\nsecondary.symbol_table = \"\\x5C\"\n";
    ConfigRecord record;
    ASSERT_EQ(parse_settings_text(text, record), "");
    EXPECT_EQ(record, (ConfigRecord{.device_model = 3, .callsign = {"NOCALL", "N0CALL-9"}, .auto_txd = {300, 253},
                                    .symbol_table = {'/', '\\'}, .frequency_mhz = {146.52f, 144.39f}}));
}

TEST(SettingsText, RejectsBadLinesByNumberAndChangesNothing) {
    std::vector<std::pair<std::string, std::string>> cases = {
        {"model = 2\nprimary.nothing = 1\n", "line 2: unknown key 'primary.nothing'"},
        {"\n\nmodel = 1\nmodel = 2\n", "line 4: duplicate key 'model' (first on line 3)"},
        {"just words\n", "line 1: expected 'key = value'"},
        {"primary.callsign\n", "line 1: expected 'key = value'"},
        {std::string(kMaxSettingsTextBytes + 1, '#'), "settings text too large"}};
    // A single bad line: the error names line 1 and the key, then what is wrong.
    const std::pair<std::string, const char*> lines[] = {
        {"primary.slow_speed = 256", "out of range (0 to 255)"}, {"primary.send_dao = 2", "out of range (0 to 1)"},
        {"model = 7", "out of range (0 to 6)"}, {"primary.auto_txd = 65536", "out of range"},
        {"primary.auto_txd = -1", "out of range"}, {"calibration = 2147483648", "out of range"},
        {"primary.auto_txd = 12abc", "malformed number"}, {"primary.auto_txd = ", "malformed number"},
        {"primary.callsign = NOCALL", "malformed text"}, {"primary.callsign = \"a\"b\"", "malformed text"},
        {"primary.callsign = \"\\q\"", "malformed text"}, {"primary.callsign = \"\\x4\"", "malformed text"},
        {"primary.callsign = \"abc\\\"", "malformed text"}, {"primary.symbol_code = \"ab\"", "expected"},
        {"primary.frequency_mhz = nan", "malformed number"}, {"primary.frequency_mhz = inf", "malformed number"},
        {"primary.frequency_mhz = 1e39", "malformed number"}, {"primary.frequency_mhz = 144,39", "malformed number"},
    };
    for (const auto& [line, what] : lines) {
        cases.emplace_back(line + "\n", "line 1: " + line.substr(0, line.find(" = ")) + ": " + what);
    }
    for (const auto& [text, error_start] : cases) {
        ConfigRecord record;
        record.callsign[0] = "UNCHANGED";
        const ConfigRecord before = record;
        const std::string error = parse_settings_text(text, record);
        EXPECT_EQ(error.rfind(error_start, 0), 0u) << text.substr(0, 40) << " gave: " << error;
        EXPECT_EQ(record, before) << text.substr(0, 40);
    }
}

// The tracker's character set: Latin-1 passes, the first character past it is
// named and nothing is substituted; every byte comes back from UTF-8.
TEST(TrackerText, LatinOneOnlyAndEveryByteBack) {
    const struct { const char* utf8; std::string bytes; const char* problem; } cases[] = {
        {"", "", ""}, {"Caf\u00E9", "Caf\xE9", ""}, {"\u00A0\u00FF\x01\x7F", "\xA0\xFF\x01\x7F", ""},
        {"ab\u03A9c\u20AC", "", "the tracker cannot store the character '\u03A9' (U+03A9)"},
        {"\u20AC", "", "the tracker cannot store the character '\u20AC' (U+20AC)"},
        {"\U0001F600", "", "the tracker cannot store the character '\U0001F600' (U+1F600)"},
        {"\u0100", "", "the tracker cannot store the character '\u0100' (U+0100)"},
        {"Caf\xE9", "", "the text is not UTF-8"}, {"\xC0\x80", "", "the text is not UTF-8"},
        {"\xED\xA0\x80", "", "the text is not UTF-8"}, {"\xC3", "", "the text is not UTF-8"},
    };
    for (const auto& c : cases) {
        const TrackerText text = utf8_to_tracker(c.utf8);
        EXPECT_EQ(text.bytes, c.bytes) << c.utf8;
        EXPECT_EQ(tracker_text_problem(text), c.problem) << c.utf8;
    }
    std::string every_byte;
    for (int b = 0; b < 256; ++b) every_byte.push_back(static_cast<char>(b));
    EXPECT_EQ(utf8_to_tracker(tracker_to_utf8(every_byte)).bytes, every_byte);
    EXPECT_EQ(tracker_to_utf8("Caf\xE9"), "Caf\u00E9");
}

// UTF-16 with its byte-order mark: the mark, then each unit in the byte order given.
std::string utf16(std::u16string_view text, bool big_endian) {
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A settings file in each encoding an editor saves: its texts become the
// tracker's bytes, and a character the tracker cannot store fails its line.
TEST(SettingsText, ReadsEveryEncodingAndRefusesWhatTheTrackerCannotStore) {
    const std::string refused = "line 2: primary.status_text: the tracker cannot store the character ";
    const struct { std::string file; std::string status_text; std::string error; } cases[] = {
        {"primary.status_text = \"Caf\u00E9\"", "Caf\xE9", ""},
        {"\xEF\xBB\xBFprimary.status_text = \"Caf\u00E9\"", "Caf\xE9", ""},
        {utf16(u"primary.status_text = \"Caf\u00E9\"\r\n", false), "Caf\xE9", ""},
        {utf16(u"primary.status_text = \"Caf\u00E9\"\r\n", true), "Caf\xE9", ""},
        {"primary.status_text = \"Caf\xE9\"", "Caf\xE9", ""},  // not UTF-8: Latin-1, as older files
        {"primary.status_text = \"\xC3\xA9 \xE9\"", "\xC3\xA9 \xE9", ""},  // the whole file decides
        {"primary.status_text = \"\\xE2\\x82\\xAC\\x00\"", std::string("\xE2\x82\xAC\0", 4), ""},
        {"primary.symbol_code = \"\u00E9\"", "Quorvale3", ""},
        {"# \u20AC in a comment\nprimary.status_text = \"\u03A9\"", "", refused + "'\u03A9' (U+03A9)"},
        {utf16(u"\n primary.status_text = \"\U0001F600\"", false), "", refused + "'\U0001F600' (U+1F600)"},
        {utf16(u"\nprimary.status_text = \"\xD800\"", true), "", refused + "'\uFFFD' (U+FFFD)"},
        {"\nprimary.symbol_code = \"\u20AC\"", "",
         "line 2: primary.symbol_code: the tracker cannot store the character '\u20AC' (U+20AC)"},
    };
    for (const auto& c : cases) {
        ConfigRecord record;
        EXPECT_EQ(parse_settings_text(c.file, record), c.error) << c.file;
        if (!c.error.empty()) continue;
        EXPECT_EQ(record.status_text[0], c.status_text) << c.file;
        ConfigRecord back;  // what qv3 prints reads back to the same bytes
        ASSERT_EQ(parse_settings_text(settings_to_text(record), back), "") << c.file;
        EXPECT_EQ(back, record) << c.file;
    }
    ConfigRecord symbol;
    ASSERT_EQ(parse_settings_text("primary.symbol_code = \"\u00E9\"", symbol), "");
    EXPECT_EQ(symbol.symbol_code[0], '\xE9');
}

}  // namespace
}  // namespace qv3
