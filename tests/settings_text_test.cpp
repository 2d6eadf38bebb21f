// The settings text: printed order and forms, reading it back, and every kind of bad line.
#include <gtest/gtest.h>

#include "cli/settings_text.h"

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
        .status_text = {std::string("q\"b\\s\r\n\t\x01\x7F\xFF\0z", 13), "Quorvale3"},
        .symbol_code = {'>', '\0'}, .symbol_table = {'"', '/'}, .frequency_mhz = {146.52f, 1e-3f},
        .telemetry_def_rate = {-2147483647 - 1, 0}};
    const std::string text = settings_to_text(record);
    EXPECT_TRUE(has_line(text, R"(primary.status_text = "q\"b\\s\r\n\t\x01\x7F\xFF\x00z")"));
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

}  // namespace
}  // namespace qv3
