// Texts of the form: strtol- and strtod-like number reading, "%d" and "%3.3f" showing, and upper-case fields' capitals.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "ui/form_values.h"
#include "ui/typed_capitals.h"

namespace qv3 {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(FormValues, DecimalsReadLikeStrtolWithThirtyTwoBitLongAndSaturate) {
    const std::vector<std::pair<std::string, int32_t>> cases{
        {"", 0}, {"abc", 0}, {"42", 42}, {"  -5", -5}, {"\t\n\v\f\r 9", 9}, {"+7x", 7}, {"12 34", 12}, {"- 5", 0},
        {"+-5", 0}, {"-", 0}, {"0x1F", 0}, {"1.9", 1}, {"2147483647", kMax}, {"2147483648", kMax},
        {std::string(99, '9'), kMax}, {"-2147483648", kMin}, {"-99999999999", kMin}, {std::string(30, '0') + "12", 12},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parse_decimal(text), expected) << "'" << text << "'";
}

TEST(FormValues, FrequenciesReadLikeStrtodWithAPointAndClampWithoutUndefinedConversions) {
    const std::vector<std::pair<std::string, float>> cases{
        {"144.39", 144.39f}, {"145,5", 145.0f}, {"abc", 0.0f},      {"", 0.0f},       {"  -1.5kHz", -1.5f},
        {"+2", 2.0f},        {".5", 0.5f},      {"5.", 5.0f},       {"1.5e2", 150.0f}, {"1.5e", 1.5f},
        {"1.5e+", 1.5f},     {"0x1p4", 16.0f},  {"0x", 0.0f},       {"--5", 0.0f},     {"- 5", 0.0f},
        {"146.52", static_cast<float>(146.52)},  // rounded through double
        {"1e39", kInf},      {"-1e39", -kInf},  {"1e400", kInf},    {"-1e400", -kInf}, {std::string(99, '9'), kInf},
        {"0x1p2000", kInf},  {"1e-400", 0.0f},  {"inf", kInf},      {"-Infinity", -kInf},
        {"0.0000000000000000000000000000000000000000000000000001e-300", 0.0f},
        {"0x0.0001p-1070", 0.0f},  {"340282346638528859811704183484516925440", FLT_MAX},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(parse_frequency(text), expected) << "'" << text << "'";
    EXPECT_TRUE(std::signbit(parse_frequency("-1e-400")));
    EXPECT_TRUE(std::isnan(parse_frequency(" NAN(1)")));
}

TEST(FormValues, FrequenciesShowThreeDecimalsOrAnExponentWhenTooLong) {
    const std::vector<std::pair<float, std::string>> cases{
        {144.39f, "144.390"}, {0.0f, "0.000"}, {-1.5f, "-1.500"}, {0.0005f, "0.001"},  // 0.0005f is just above a half
        {1e15f, "999999986991104.000"}, {1e16f, "1.000e+16"},  // 19 characters still fixed, 21 not
        {-1e20f, "-1.000e+20"}, {FLT_MAX, "3.403e+38"}, {kInf, "inf"}, {-kInf, "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), "nan"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(format_frequency(value), expected);
}

// Callsign and Path capitals: only where the capital is a character the tracker can store.
TEST(FormValues, TypedCapitalsStayWithinLatin1) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"n0call-7", "N0CALL-7"},  {"aßbÿcµ-5", "AßBÿCµ-5"}, {"àéîõø÷þ", "ÀÉÎÕØ÷Þ"},
        {"wide1-1,wideω2-1", "WIDE1-1,WIDEω2-1"}, {"ÀZ09,-", "ÀZ09,-"}, {"a\xFF" "b", "A\xFF" "B"},
    };
    for (const auto& [typed, shown] : cases) EXPECT_EQ(typed_capitals(typed), shown) << typed;
}

}  // namespace
}  // namespace qv3
