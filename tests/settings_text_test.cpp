// The settings text: printed order and forms, reading it back, and every kind of bad line.
#include <gtest/gtest.h>

#include <cmath>

#include "cli/settings_text.h"

namespace qv3 {
namespace {

std::string value_of(const std::string& text, const std::string& key) {
    const std::string prefix = key + " = ";
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return "<missing>";
}

TEST(SettingsText, PrintsEveryKeyInTheRecordsOrder) {
    const auto pairs = settings_to_pairs(ConfigRecord{});
    ASSERT_EQ(pairs.size(), 2u + 2u * 48u);
    EXPECT_EQ(pairs[0].first, "model");
    EXPECT_EQ(pairs[1].first, "calibration");
    EXPECT_EQ(pairs[2].first, "primary.callsign");
    EXPECT_EQ(pairs[49].first, "primary.telemetry_text");
    EXPECT_EQ(pairs[50].first, "secondary.callsign");
    EXPECT_EQ(pairs.back().first, "secondary.telemetry_text");

    const std::string text = settings_to_text(ConfigRecord{});
    EXPECT_EQ(value_of(text, "model"), "0");
    EXPECT_EQ(value_of(text, "primary.frequency_mhz"), "144.39");
    EXPECT_EQ(value_of(text, "primary.status_text"), "\"Quorvale3\"");
    EXPECT_EQ(value_of(text, "secondary.symbol_code"), "\">\"");
    EXPECT_EQ(value_of(text, "secondary.telemetry_text"), "\"\"");
}

TEST(SettingsText, EscapesAndOddValuesSurviveTheRoundTrip) {
    ConfigRecord record;
    record.device_model = 6;
    record.calibration = -7;
    record.status_text[0] = std::string("q\"b\\s\r\n\t\x01\x7F\xFF", 11) + std::string(1, '\0') + "z";
    record.symbol_code[1] = '\0';
    record.symbol_table[0] = '"';
    record.timestamp_mode[1] = -1;
    record.frequency_mhz = {146.52f, 1e-3f};
    record.telemetry_def_rate[0] = -2147483647 - 1;
    const std::string text = settings_to_text(record);
    EXPECT_EQ(value_of(text, "primary.status_text"), R"("q\"b\\s\r\n\t\x01\x7F\xFF\x00z")");
    EXPECT_EQ(value_of(text, "secondary.symbol_code"), "\"\"");
    EXPECT_EQ(value_of(text, "primary.frequency_mhz"), "146.52");

    ConfigRecord back;
    ASSERT_EQ(parse_settings_text(text, back), "");
    EXPECT_EQ(back, record);
}

TEST(SettingsText, ReadsKeysInAnyOrderAndKeepsDefaultsForMissingOnes) {
    ConfigRecord record;
    const std::string text =
        "# a comment\n"
        "\n"
        "  secondary.callsign = \"N0CALL-9\"  \r\n"
        "primary.auto_txd=300\n"
        "model = 3\n"
        "primary.frequency_mhz = 146.520\n"
        "secondary.symbol_table = \"\\x5C\"\n";
    ASSERT_EQ(parse_settings_text(text, record), "");
    EXPECT_EQ(record.device_model, 3);
    EXPECT_EQ(record.callsign[1], "N0CALL-9");
    EXPECT_EQ(record.callsign[0], "NOCALL");
    EXPECT_EQ(record.auto_txd[0], 300);
    EXPECT_EQ(record.frequency_mhz[0], 146.52f);
    EXPECT_EQ(record.symbol_table[1], '\\');
    EXPECT_EQ(record.status_text[1], "Quorvale3");
}

TEST(SettingsText, RejectsBadLinesByNumberAndChangesNothing) {
    const struct {
        const char* text;
        const char* error_start;
    } cases[] = {
        {"model = 2\nprimary.nothing = 1\n", "line 2: unknown key 'primary.nothing'"},
        {"primary.slow_speed = 256\n", "line 1: primary.slow_speed: out of range (0 to 255)"},
        {"primary.auto_txd = 65536\n", "line 1: primary.auto_txd: out of range"},
        {"primary.auto_txd = -1\n", "line 1: primary.auto_txd: out of range"},
        {"primary.send_dao = 2\n", "line 1: primary.send_dao: out of range (0 to 1)"},
        {"model = 7\n", "line 1: model: out of range (0 to 6)"},
        {"calibration = 2147483648\n", "line 1: calibration: out of range"},
        {"primary.auto_txd = 12abc\n", "line 1: primary.auto_txd: malformed number"},
        {"primary.auto_txd = \n", "line 1: primary.auto_txd: malformed number"},
        {"primary.callsign = NOCALL\n", "line 1: primary.callsign: malformed text"},
        {"primary.callsign = \"a\"b\"\n", "line 1: primary.callsign: malformed text"},
        {"primary.callsign = \"\\q\"\n", "line 1: primary.callsign: malformed text"},
        {"primary.callsign = \"\\x4\"\n", "line 1: primary.callsign: malformed text"},
        {"primary.callsign = \"abc\\\"\n", "line 1: primary.callsign: malformed text"},
        {"primary.symbol_code = \"ab\"\n", "line 1: primary.symbol_code: expected"},
        {"primary.frequency_mhz = nan\n", "line 1: primary.frequency_mhz: malformed number"},
        {"primary.frequency_mhz = inf\n", "line 1: primary.frequency_mhz: malformed number"},
        {"primary.frequency_mhz = 1e39\n", "line 1: primary.frequency_mhz: malformed number"},
        {"primary.frequency_mhz = 144,39\n", "line 1: primary.frequency_mhz: malformed number"},
        {"\n\nmodel = 1\nmodel = 2\n", "line 4: duplicate key 'model' (first on line 3)"},
        {"just words\n", "line 1: expected 'key = value'"},
        {"primary.callsign\n", "line 1: expected 'key = value'"},
    };
    for (const auto& c : cases) {
        ConfigRecord record;
        record.callsign[0] = "UNCHANGED";
        const ConfigRecord before = record;
        const std::string error = parse_settings_text(c.text, record);
        EXPECT_EQ(error.rfind(c.error_start, 0), 0u) << c.text << " gave: " << error;
        EXPECT_EQ(record, before) << c.text;
    }
}

TEST(SettingsText, RefusesOversizedInput) {
    ConfigRecord record;
    EXPECT_EQ(parse_settings_text(std::string(kMaxSettingsTextBytes + 1, '#'), record), "settings text too large");
}

}  // namespace
}  // namespace qv3
