// Number parsing and formatting for the form's fields, with no locale and no overflow.
#include "ui/form_values.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

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

// Whether a number that from_chars found out of range is at least 1 (so it
// overflowed) rather than below 1 (so it underflowed). Out of range means
// beyond about 1.8e308 or below about 4.9e-324, so the position of the first
// significant digit and the exponent decide it, however roughly weighed.
bool out_of_range_is_large(std::string_view number, bool hex) {
    const auto digit = [hex](char c) { return hex ? is_hex_digit(c) : is_digit(c); };
    size_t i = 0;
    long long integer_digits = 0;  // significant digits before the point
    long long leading_zeros = 0;   // zeros after the point before the first significant digit
    bool significant = false;
    for (; i < number.size() && digit(number[i]); ++i) {
        if (number[i] != '0') significant = true;
        if (significant) ++integer_digits;
    }
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && digit(number[i]); ++i) {
            if (significant) continue;
            if (number[i] != '0') {
                significant = true;
            } else {
                ++leading_zeros;
            }
        }
    }
    // The exponent, saturated far beyond any double's range.
    long long exponent = 0;
    const char mark = hex ? 'p' : 'e';
    if (i < number.size() && (number[i] == mark || number[i] == mark - 'a' + 'A')) {
        size_t k = i + 1;
        const bool negative = k < number.size() && number[k] == '-';
        if (k < number.size() && (number[k] == '+' || number[k] == '-')) ++k;
        for (; k < number.size() && is_digit(number[k]); ++k) {
            if (exponent < 1000000) exponent = exponent * 10 + (number[k] - '0');
        }
        if (negative) exponent = -exponent;
    }
    const long long place = integer_digits > 0 ? integer_digits - 1 : -(leading_zeros + 1);
    const long long weight = hex ? 4 * place + exponent : place + exponent;
    return weight >= 0;
}

// strtod on text with the sign already taken; false when no number begins it.
bool parse_unsigned_double(std::string_view text, double& value, bool& overflow) {
    overflow = false;
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    bool hex = false;
    // "0x" leads a hexadecimal number only when a hex digit (maybe after the point) follows.
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view after = text.substr(2);
        const bool digits_follow =
            is_hex_digit(after.front()) || (after.size() > 1 && after.front() == '.' && is_hex_digit(after[1]));
        if (digits_follow) {
            first += 2;
            hex = true;
        }
    }
    const auto result =
        std::from_chars(first, last, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return false;
    if (result.ec == std::errc::result_out_of_range) {
        overflow = out_of_range_is_large(std::string_view(first, static_cast<size_t>(last - first)), hex);
        value = overflow ? std::numeric_limits<double>::infinity() : 0.0;
    }
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
    bool overflow = false;
    if (!parse_unsigned_double(text, value, overflow)) return 0.0f;
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
    std::array<char, 20> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string format_frequency(float mhz) {
    const double value = mhz;
    std::array<char, kFrequencyTextMaxChars> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 3);
    if (result.ec != std::errc()) {
        result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific, 3);
    }
    if (result.ec != std::errc()) return std::string();  // cannot happen: "-3.403e+38" is 10 characters
    return std::string(buffer.data(), result.ptr);
}

}  // namespace qv3
