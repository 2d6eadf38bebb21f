// Numbers to text and back: the same texts on every target, checked against what printf and strtod give.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

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
    // Zero and the whole numbers past 2^63 take paths of their own.
    EXPECT_EQ(fixed_float_text(0.0, 2, 3), "0.00e+00");
    EXPECT_EQ(fixed_float_text(0x1p63, 1, 21), "9223372036854775808.0");
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
        {"2.4569055720586828e-104", false, 2.4569055720586828e-104, 23},
        {"7.3486354351043701171875", false, 7.3486354351043701171875, 24},  // halfway between two floats
    };
    for (const Case& c : cases) {
        const auto scanned = scan_unsigned_number(c.text, c.hex);
        ASSERT_TRUE(scanned) << c.text;
        EXPECT_EQ(scanned->value, c.value) << c.text;
        EXPECT_EQ(scanned->length, c.length) << c.text;
    }
    const auto nan = scan_unsigned_number("nan(x1)!", false);
    ASSERT_TRUE(nan);
    EXPECT_TRUE(std::isnan(nan->value));
    EXPECT_EQ(nan->length, 7u);
    for (const char* none : {"", ".", "e5", "-1", "+1", "x"}) EXPECT_FALSE(scan_unsigned_number(none, false)) << none;
}

// printf's text of the arguments, in the "C" locale every test process starts in.
template <typename... Args>
std::string c_text(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

// Edge floats (zeros, subnormals, the float range's ends, powers of ten and
// their neighbours, where notations switch), ties at three decimals, then
// random bit patterns: every exponent, both signs.
std::vector<float> sample_floats(size_t count) {
    std::vector<float> values = {0.0f, -0.0f, FLT_TRUE_MIN, FLT_MIN, FLT_MAX, -FLT_MAX, 0x1p23f, 0x1p24f + 2};
    for (int k = -45; k <= 38; ++k) {
        const float p = std::strtof(("1e" + std::to_string(k)).c_str(), nullptr);
        values.insert(values.end(), {p, std::nextafter(p, 0.0f), std::nextafter(p, FLT_MAX)});
    }
    std::mt19937 random(20261208);
    for (int k = 0; k < 1000; ++k) values.push_back(static_cast<float>(random() % 2000000) / 16.0f + 0.0625f);
    while (values.size() < count) {
        const uint32_t bits = random();
        float f = 0.0f;
        std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(f)) values.push_back(f);
    }
    return values;
}

// printf's shortest: the fewest significant digits ("%.*e") that strtof reads
// back as value, or the same digits in "%.*f" when that is no longer.
std::string printf_shortest(float value) {
    const double v = std::fabs(static_cast<double>(value));
    std::string scientific;
    int digits = 1;
    for (; digits < 9; ++digits) {
        scientific = c_text("%.*e", digits - 1, v);
        if (std::strtof(scientific.c_str(), nullptr) == static_cast<float>(v)) break;
    }
    if (digits == 9) scientific = c_text("%.8e", v);
    const int exponent = std::atoi(scientific.c_str() + scientific.find('e') + 1);
    const std::string fixed = c_text("%.*f", std::max(0, digits - 1 - exponent), v);
    return (std::signbit(value) ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}

TEST(NumberText, FloatTextsAreWhatPrintfGives) {
    std::mt19937 random(7);
    for (const float f : sample_floats(6000)) {
        const std::string shortest = shortest_float_text(f);
        ASSERT_EQ(shortest, printf_shortest(f)) << c_text("%a", f);
        ASSERT_EQ(std::strtof(shortest.c_str(), nullptr), f) << shortest;
        const int decimals = static_cast<int>(random() % 7);
        const size_t max_chars = random() % 48;
        const std::string fixed = c_text("%.*f", decimals, f);
        ASSERT_EQ(fixed_float_text(f, decimals, max_chars),
                  fixed.size() <= max_chars ? fixed : c_text("%.*e", decimals, f))
            << c_text("%a", f) << " " << decimals << " " << max_chars;
    }
}

TEST(NumberText, ScanReadsWhatStrtodReads) {
    std::vector<std::string> texts;
    std::mt19937_64 random(11);
    for (const float f : sample_floats(2000)) {
        uint64_t bits = random();
        double d = 0.0;
        std::memcpy(&d, &bits, sizeof d);
        for (const double v : {std::fabs(static_cast<double>(f)), std::fabs(d)}) {
            if (!std::isfinite(v)) continue;
            for (const char* format : {"%.17g", "%.9g", "%e", "%f", "%a"}) texts.push_back(c_text(format, v));
        }
        std::string digits;  // mostly digits, with points, exponents and signs where they may or may not count
        for (size_t n = random() % 30; n > 0; --n) digits += "0123456789012345678901234567.eE+-"[random() % 34];
        texts.push_back(digits);
    }
    for (const std::string& text : texts) {
        char* end = nullptr;
        const double expected = std::strtod(text.c_str(), &end);
        const bool hex = text.rfind("0x", 0) == 0;
        const size_t skipped = hex ? 2 : 0;
        const auto scanned = scan_unsigned_number(std::string_view(text).substr(skipped), hex);
        if (end == text.c_str() || text[0] == '+' || text[0] == '-') {
            ASSERT_FALSE(scanned) << text;
            continue;
        }
        ASSERT_TRUE(scanned) << text;
        ASSERT_EQ(scanned->value, expected) << text;
        ASSERT_EQ(scanned->length, static_cast<size_t>(end - text.c_str()) - skipped) << text;
    }
}

TEST(NumberText, NearestFloatRoundsToEvenAndOverflowsPastTheLastHalfStep) {
    const double above_max = 0x1.ffffffp127;  // halfway from FLT_MAX to 2^128
    const std::pair<double, float> cases[] = {
        {FLT_MAX, FLT_MAX}, {std::nextafter(above_max, 0.0), FLT_MAX}, {above_max, INFINITY}, {-DBL_MAX, -INFINITY},
        {0x1p-150, 0.0f},   {std::nextafter(0x1p-150, 1.0), FLT_TRUE_MIN}, {0x1.000003p0, 0x1.000004p0f},
    };
    for (const auto& [value, nearest] : cases) EXPECT_EQ(nearest_float(value), nearest) << value;
}

}  // namespace
}  // namespace qv3
