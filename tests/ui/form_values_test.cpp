// Number texts of the form: strtol- and strtod-like reading, "%d" and "%3.3f" showing.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "ui/form_values.h"

namespace qv3 {
namespace {

TEST(ParseDecimal, ReadsLikeStrtolWithThirtyTwoBitLong) {
    EXPECT_EQ(parse_decimal(""), 0);
    EXPECT_EQ(parse_decimal("abc"), 0);
    EXPECT_EQ(parse_decimal("42"), 42);
    EXPECT_EQ(parse_decimal("  -5"), -5);
    EXPECT_EQ(parse_decimal("\t\n\v\f\r 9"), 9);
    EXPECT_EQ(parse_decimal("+7x"), 7);
    EXPECT_EQ(parse_decimal("007"), 7);
    EXPECT_EQ(parse_decimal("12 34"), 12);
    EXPECT_EQ(parse_decimal("- 5"), 0);   // no digit right after the sign
    EXPECT_EQ(parse_decimal("+-5"), 0);
    EXPECT_EQ(parse_decimal("-"), 0);
    EXPECT_EQ(parse_decimal("0x1F"), 0);  // base 10 only
    EXPECT_EQ(parse_decimal("1.9"), 1);
}

TEST(ParseDecimal, SaturatesAtTheThirtyTwoBitLimits) {
    EXPECT_EQ(parse_decimal("2147483647"), 2147483647);
    EXPECT_EQ(parse_decimal("2147483648"), 2147483647);
    EXPECT_EQ(parse_decimal("99999999999"), 2147483647);
    EXPECT_EQ(parse_decimal(std::string(99, '9')), 2147483647);
    EXPECT_EQ(parse_decimal("-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parse_decimal("-2147483649"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parse_decimal("-99999999999"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(parse_decimal("00000000000000000000000000012"), 12);
}

TEST(ParseFrequency, ReadsLikeStrtodWithAPointWhateverTheLocale) {
    EXPECT_EQ(parse_frequency("144.39"), 144.39f);
    EXPECT_EQ(parse_frequency("145,5"), 145.0f);
    EXPECT_EQ(parse_frequency("abc"), 0.0f);
    EXPECT_EQ(parse_frequency(""), 0.0f);
    EXPECT_EQ(parse_frequency("  -1.5kHz"), -1.5f);
    EXPECT_EQ(parse_frequency("+2"), 2.0f);
    EXPECT_EQ(parse_frequency(".5"), 0.5f);
    EXPECT_EQ(parse_frequency("5."), 5.0f);
    EXPECT_EQ(parse_frequency("1.5e2"), 150.0f);
    EXPECT_EQ(parse_frequency("1.5e"), 1.5f);   // an exponent without digits is not read
    EXPECT_EQ(parse_frequency("1.5e+"), 1.5f);
    EXPECT_EQ(parse_frequency("0x1p4"), 16.0f);
    EXPECT_EQ(parse_frequency("0x"), 0.0f);     // "0" then an 'x'
    EXPECT_EQ(parse_frequency("--5"), 0.0f);
    EXPECT_EQ(parse_frequency("+-5"), 0.0f);
    EXPECT_EQ(parse_frequency("- 5"), 0.0f);
    // Rounded through double to single precision.
    EXPECT_EQ(parse_frequency("146.52"), static_cast<float>(146.52));
}

TEST(ParseFrequency, OutOfRangeValuesAreClampedWithoutUndefinedConversions) {
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(parse_frequency("1e20"), 1e20f);
    EXPECT_EQ(parse_frequency("1e39"), inf);    // beyond float, within double
    EXPECT_EQ(parse_frequency("-1e39"), -inf);
    EXPECT_EQ(parse_frequency("1e400"), inf);   // beyond double
    EXPECT_EQ(parse_frequency("-1e400"), -inf);
    EXPECT_EQ(parse_frequency(std::string(99, '9')), inf);
    EXPECT_EQ(parse_frequency("0x1p2000"), inf);
    EXPECT_EQ(parse_frequency("1e-400"), 0.0f);
    EXPECT_TRUE(std::signbit(parse_frequency("-1e-400")));
    EXPECT_EQ(parse_frequency("0.0000000000000000000000000000000000000000000000000001e-300"), 0.0f);
    EXPECT_EQ(parse_frequency("0x0.0001p-1070"), 0.0f);
    EXPECT_EQ(parse_frequency("340282346638528859811704183484516925440"), FLT_MAX);
    EXPECT_EQ(parse_frequency("inf"), inf);
    EXPECT_EQ(parse_frequency("-Infinity"), -inf);
    EXPECT_TRUE(std::isnan(parse_frequency("nan")));
    EXPECT_TRUE(std::isnan(parse_frequency(" NAN(1)")));
}

TEST(FormatDecimal, ShowsLikePercentD) {
    EXPECT_EQ(format_decimal(0), "0");
    EXPECT_EQ(format_decimal(65535), "65535");
    EXPECT_EQ(format_decimal(-2147483648LL), "-2147483648");
}

TEST(FormatFrequency, ShowsThreeDecimalsOrAnExponentWhenTooLong) {
    EXPECT_EQ(format_frequency(144.39f), "144.390");
    EXPECT_EQ(format_frequency(0.0f), "0.000");
    EXPECT_EQ(format_frequency(-1.5f), "-1.500");
    EXPECT_EQ(format_frequency(0.0005f), "0.001");  // 0.0005f is a little above one half
    EXPECT_EQ(format_frequency(1e15f), "999999986991104.000");  // 19 characters: still fixed
    EXPECT_EQ(format_frequency(1e16f), "1.000e+16");             // 21: exponent form
    EXPECT_EQ(format_frequency(1e20f), "1.000e+20");
    EXPECT_EQ(format_frequency(-1e20f), "-1.000e+20");
    EXPECT_EQ(format_frequency(FLT_MAX), "3.403e+38");
    EXPECT_EQ(format_frequency(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(format_frequency(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(format_frequency(std::numeric_limits<float>::quiet_NaN()), "nan");
}

}  // namespace
}  // namespace qv3
