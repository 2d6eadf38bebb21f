// Numbers to text and back: the same texts on every target, checked against what printf and strtod give.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/number_text.h"

namespace qv3 {
namespace {

TEST(NumberText, ShortestFloatTextReadsBackAndPicksTheShorterNotation) {
    const std::pair<float, const char*> cases[] = {
        {144.39f, "144.39"},  {0.0001f, "1e-04"},    {0.001f, "0.001"},       {1e30f, "1e+30"},
        {1e7f, "1e+07"},      {1234567.f, "1234567"}, {123456789.f, "123456792"}, {0.1f, "0.1"},
        {-0.0f, "-0"},        {1e-45f, "1e-45"},     {3.4028235e38f, "3.4028235e+38"},
        {144.39001f, "144.39001"}, {std::numeric_limits<float>::infinity(), "inf"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(shortest_float_text(value), text);
        const std::string_view unsigned_text = text[0] == '-' ? std::string_view(text).substr(1) : text;
        const auto back = scan_unsigned_number(unsigned_text, false);
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(nearest_float(text[0] == '-' ? -back->value : back->value), value) << text;
    }
}

TEST(NumberText, FixedTextRoundsTiesToEvenAndFallsBackToExponents) {
    const std::pair<float, const char*> cases[] = {
        {144.39f, "144.390"}, {0.0625f, "0.062"},       {-0.0f, "-0.000"},  {1e20f, "1.000e+20"},
        {-1e15f, "-1.000e+15"}, {999999.9999f, "1000000.000"}, {std::nanf(""), "nan"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(fixed_float_text(value, 3, 19), text);
}

TEST(NumberText, ScanTakesTheLongestNumberAtTheStart) {
    struct Case {
        const char* text;
        bool hex;
        double value;
        size_t length;
    };
    const Case cases[] = {
        {"145,5", false, 145.0, 3}, {".5x", false, 0.5, 2},   {"5.", false, 5.0, 2},     {"1e", false, 1.0, 1},
        {"2E+3", false, 2000.0, 4}, {"1.8p3", true, 12.0, 5}, {"ff", true, 255.0, 2},    {"1e-400", false, 0.0, 6},
        {"INFINITY", false, std::numeric_limits<double>::infinity(), 8},
        {"1e400", false, std::numeric_limits<double>::infinity(), 5},
        {"00000000000000000000012345678901234567890e-30", false, 1.2345678901234567890e-11, 45},
    };
    for (const Case& c : cases) {
        const auto scanned = scan_unsigned_number(c.text, c.hex);
        ASSERT_TRUE(scanned) << c.text;
        EXPECT_DOUBLE_EQ(scanned->value, c.value) << c.text;
        EXPECT_EQ(scanned->length, c.length) << c.text;
    }
    const auto nan = scan_unsigned_number("nan(x1)!", false);
    ASSERT_TRUE(nan);
    EXPECT_TRUE(std::isnan(nan->value));
    EXPECT_EQ(nan->length, 7u);
    for (const char* none : {"", ".", "e5", "-1", "+1", "x"}) EXPECT_FALSE(scan_unsigned_number(none, false)) << none;
}

}  // namespace
}  // namespace qv3
