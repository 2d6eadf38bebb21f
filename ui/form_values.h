// Conversions between the texts of the form's fields and numbers, the same in every locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qv3 {

// A whole number as C's strtol reads it in base 10 where long has 32 bits:
// leading white space, an optional sign, then digits up to the first other
// character. No digits give 0; beyond the signed 32-bit range the result
// saturates at the limit.
int32_t parse_decimal(std::string_view text);

// A number as C's strtod reads it in the "C" locale ('.' the only decimal
// separator, so "145,5" reads as 145), rounded to single precision. No number
// gives 0; a magnitude beyond the float range gives an infinity of its sign,
// one too small for a double gives a zero of its sign.
float parse_frequency(std::string_view text);

// "%d" of value.
std::string format_decimal(long long value);

// "%3.3f" of mhz with '.' as the separator. A value whose text would be longer
// than 19 characters is shown as "%.3e" instead (1e20f as "1.000e+20").
std::string format_frequency(float mhz);

// Longest frequency text shown in fixed notation (a 20-character buffer).
constexpr std::size_t kFrequencyTextMaxChars = 19;

}  // namespace qv3
