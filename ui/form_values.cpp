// Number parsing and formatting for the form's fields, with no locale and no overflow.
#include "ui/form_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "model/number_text.h"

namespace qv3 {

namespace {

bool is_c_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Skips leading white space and one sign; returns whether the sign was '-'.
bool take_space_and_sign(std::string_view& text) {
    size_t i = 0;
    while (i < text.size() && is_c_space(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    text.remove_prefix(i);
    return negative;
}

// strtod on text with the sign already taken; false when no number begins it.
bool parse_unsigned_double(std::string_view text, double& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    bool hex = false;
    // "0x" leads a hexadecimal number only when a hex digit (maybe after the point) follows.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view after = text.substr(2);
        const bool digits_follow =
            is_hex_digit(after.front()) || (after.size() > 1 && after.front() == '.' && is_hex_digit(after[1]));
        if (digits_follow) {
            text = after;
            hex = true;
        }
    }
    const std::optional<ScannedNumber> number = scan_unsigned_number(text, hex);
    if (!number) return false;
    value = number->value;
    return true;
}

}  // namespace

int32_t parse_decimal(std::string_view text) {
    const bool negative = take_space_and_sign(text);
    constexpr long long kLimit = static_cast<long long>(std::numeric_limits<int32_t>::max()) + 1;
    long long magnitude = 0;  // kept at most kLimit + 1, so it never overflows
    for (const char c : text) {
        if (!is_digit(c)) break;
        magnitude = std::min(magnitude * 10 + (c - '0'), kLimit + 1);
    }
    if (negative) return static_cast<int32_t>(-std::min(magnitude, kLimit));
    return static_cast<int32_t>(std::min(magnitude, kLimit - 1));
}

float parse_frequency(std::string_view text) {
    const bool negative = take_space_and_sign(text);
    double value = 0.0;
    if (!parse_unsigned_double(text, value)) return 0.0f;
    if (negative) value = -value;
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    // Beyond the float range the conversion itself would be undefined: the
    // result is the infinity of the value's sign.
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        return std::signbit(value) ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

std::string format_decimal(long long value) {
    const bool negative = value < 0;
    // Through the unsigned type, so that the lowest value has a magnitude too.
    auto magnitude = negative ? 0 - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? "-" + digits : digits;
}

std::string format_frequency(float mhz) { return fixed_float_text(mhz, 3, kFrequencyTextMaxChars); }

}  // namespace qv3
