// Numbers to text and back with integer and IEEE double arithmetic only, so every target gives the same text.
#include "model/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace qv3 {
namespace {

constexpr int kMaxSignificantDigits = 19;  // what a uint64_t holds in decimal
constexpr long kExponentLimit = 100000;    // far beyond any double, so saturating is harmless

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether text begins with word, in any letter case.
bool begins_with(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (lower(text[i]) != word[i]) return false;
    }
    return true;
}

// 10^k as a double: exact up to 10^22, else within a few units in the last place.
double power_of_ten(int k) {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (k < 0) return 1.0 / power_of_ten(-k);
    double value = 1.0;
    while (k > 22) {
        value *= kExact[22];
        k -= 22;
        if (std::isinf(value)) return value;
    }
    return value * kExact[k];
}

// mantissa x 10^exponent, rounded once where the two are exact doubles.
double scale_by_power_of_ten(uint64_t mantissa, long exponent) {
    if (mantissa == 0) return 0.0;
    const auto m = static_cast<double>(mantissa);
    if (exponent > 400) return std::numeric_limits<double>::infinity();
    if (exponent < -400) return 0.0;
    if (exponent >= 0) return m * power_of_ten(static_cast<int>(exponent));
    // Dividing in steps keeps the divisor finite for the smallest numbers.
    double value = m;
    long left = -exponent;
    while (left > 300) {
        value /= power_of_ten(300);
        left -= 300;
    }
    return value / power_of_ten(static_cast<int>(left));
}

// An optional exponent after a number: mark, an optional sign, digits. Its
// length is 0 when no digit follows the mark (then the mark is not taken).
size_t scan_exponent(std::string_view text, char mark, long& exponent) {
    exponent = 0;
    if (text.empty() || lower(text[0]) != mark) return 0;
    size_t i = 1;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i >= text.size() || !is_digit(text[i])) return 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative) exponent = -exponent;
    return i;
}

std::optional<ScannedNumber> scan_named(std::string_view text) {
    if (begins_with(text, "infinity")) return ScannedNumber{std::numeric_limits<double>::infinity(), 8};
    if (begins_with(text, "inf")) return ScannedNumber{std::numeric_limits<double>::infinity(), 3};
    if (!begins_with(text, "nan")) return std::nullopt;
    size_t length = 3;
    // "nan(chars)": the parenthesis is taken only when it closes.
    if (length < text.size() && text[length] == '(') {
        size_t i = length + 1;
        while (i < text.size() && (is_digit(text[i]) || (lower(text[i]) >= 'a' && lower(text[i]) <= 'z') || text[i] == '_')) {
            ++i;
        }
        if (i < text.size() && text[i] == ')') length = i + 1;
    }
    return ScannedNumber{std::numeric_limits<double>::quiet_NaN(), length};
}

// A number as a whole number of any size: 32-bit limbs, the lowest first.
using BigNumber = std::vector<uint32_t>;

void multiply(BigNumber& n, uint32_t factor, uint32_t add = 0) {
    uint64_t carry = add;
    for (uint32_t& limb : n) {
        const uint64_t product = static_cast<uint64_t>(limb) * factor + carry;
        limb = static_cast<uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0) n.push_back(static_cast<uint32_t>(carry));
}

void multiply_by_power_of_ten(BigNumber& n, long k) {
    for (; k >= 9; k -= 9) multiply(n, 1000000000);
    multiply(n, static_cast<uint32_t>(power_of_ten(static_cast<int>(k))));
}

void multiply_by_power_of_two(BigNumber& n, long k) {
    n.insert(n.begin(), static_cast<size_t>(k / 32), 0);
    multiply(n, uint32_t{1} << (k % 32));
}

int compare(BigNumber a, BigNumber b) {
    while (!a.empty() && a.back() == 0) a.pop_back();
    while (!b.empty() && b.back() == 0) b.pop_back();
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t k = a.size(); k-- > 0;) {
        if (a[k] != b[k]) return a[k] < b[k] ? -1 : 1;
    }
    return 0;
}

// A finite double >= 0 as mantissa x 2^exponent, the mantissa below 2^53.
uint64_t binary_parts(double v, int& exponent) {
    const double fraction = std::frexp(v, &exponent);
    exponent -= 53;
    return static_cast<uint64_t>(std::ldexp(fraction, 53));
}

// How digits x 10^exponent compares with the point halfway from below to
// above, two neighbouring doubles >= 0; above may be the infinity past the
// largest double, which counts as 2^1024 here.
int compare_with_midpoint(const std::string& digits, long exponent, double below, double above) {
    int low_exponent = 0;
    int high_exponent = 972;
    uint64_t low = binary_parts(below, low_exponent);
    const uint64_t high = std::isinf(above) ? uint64_t{1} << 52 : binary_parts(above, high_exponent);
    if (low == 0) low_exponent = high_exponent;
    // Neighbours' exponents differ by at most one: the sum of the two, over two.
    const int k = std::min(low_exponent, high_exponent);
    const uint64_t twice = (low << (low_exponent - k)) + (high << (high_exponent - k));
    BigNumber midpoint = {static_cast<uint32_t>(twice), static_cast<uint32_t>(twice >> 32)};
    BigNumber number = {0};
    for (const char c : digits) multiply(number, 10, static_cast<uint32_t>(c - '0'));
    if (exponent >= 0) multiply_by_power_of_ten(number, exponent);
    else multiply_by_power_of_ten(midpoint, -exponent);
    if (k - 1 >= 0) multiply_by_power_of_two(midpoint, k - 1);
    else multiply_by_power_of_two(number, 1 - k);
    return compare(number, midpoint);
}

bool odd(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits & 1) != 0;
}

// digits x 10^exponent rounded once to the nearest double, ties to even, as
// strtod reads it: a first guess from the leading digits, then moved to the
// neighbour on the number's side of each exact halfway point.
double nearest_double(const std::string& digits, long exponent) {
    if (digits.empty()) return 0.0;
    const size_t head = std::min(digits.size(), static_cast<size_t>(kMaxSignificantDigits));
    uint64_t mantissa = 0;
    for (size_t k = 0; k < head; ++k) mantissa = mantissa * 10 + static_cast<uint64_t>(digits[k] - '0');
    const long head_exponent = exponent + static_cast<long>(digits.size() - head);
    double guess = scale_by_power_of_ten(mantissa, head_exponent);
    // Past these, the guess is 0 or infinity, and exactly so.
    if (head_exponent > 400 || head_exponent < -400) return guess;
    // Both exact doubles and one rounding: the guess is the answer.
    if (digits.size() == head && mantissa <= (uint64_t{1} << 53) && head_exponent >= -22 && head_exponent <= 22) return guess;
    constexpr double kLargest = std::numeric_limits<double>::max();
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    guess = std::min(guess, kLargest);
    for (;;) {
        const double up = guess == kLargest ? kInfinity : std::nextafter(guess, kInfinity);
        const int above = compare_with_midpoint(digits, exponent, guess, up);
        if (above > 0 || (above == 0 && odd(guess))) {
            if (guess == kLargest) return kInfinity;
            guess = up;
            continue;
        }
        if (guess == 0.0) return guess;
        const double down = std::nextafter(guess, 0.0);
        const int below = compare_with_midpoint(digits, exponent, down, guess);
        if (below >= 0 && !(below == 0 && odd(guess))) return guess;
        guess = down;
    }
}

std::optional<ScannedNumber> scan_decimal(std::string_view text) {
    // No double's halfway point has more significant digits than 767: past
    // kMaxKeptDigits, the digits left out only say whether any was nonzero.
    constexpr size_t kMaxKeptDigits = 800;
    std::string digits;  // significant digits, read as a whole number
    bool nonzero_left_out = false;
    long exponent = 0;  // power of ten the digits are scaled by
    bool any_digit = false;
    size_t i = 0;
    auto take = [&](char c, bool after_point) {
        any_digit = true;
        if (digits.empty() && c == '0') {
            if (after_point) --exponent;
            return;
        }
        if (digits.size() < kMaxKeptDigits) {
            digits += c;
            if (after_point) --exponent;
        } else {
            nonzero_left_out = nonzero_left_out || c != '0';
            if (!after_point) ++exponent;  // a digit beyond the kept ones still counts its place
        }
    };
    for (; i < text.size() && is_digit(text[i]); ++i) take(text[i], false);
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        const bool digits_after = j < text.size() && is_digit(text[j]);
        if (any_digit || digits_after) {
            for (; j < text.size() && is_digit(text[j]); ++j) take(text[j], true);
            i = j;
        }
    }
    if (!any_digit) return std::nullopt;
    long written = 0;
    i += scan_exponent(text.substr(i), 'e', written);
    if (nonzero_left_out) {
        // A last 1 stands for them: the number stays between the same halfway points.
        digits += '1';
        --exponent;
    }
    const long total = std::max(-2 * kExponentLimit, std::min(2 * kExponentLimit, exponent + written));
    return ScannedNumber{nearest_double(digits, total), i};
}

std::optional<ScannedNumber> scan_hex(std::string_view text) {
    uint64_t mantissa = 0;
    int kept = 0;       // significant hex digits in mantissa
    long exponent = 0;  // power of two the mantissa is scaled by
    bool any_digit = false;
    size_t i = 0;
    auto take = [&](int digit, bool after_point) {
        any_digit = true;
        if (kept == 0 && digit == 0) {
            if (after_point) exponent -= 4;
            return;
        }
        if (kept < 15) {
            mantissa = mantissa * 16 + static_cast<uint64_t>(digit);
            ++kept;
            if (after_point) exponent -= 4;
        } else if (!after_point) {
            exponent += 4;
        }
    };
    for (; i < text.size() && hex_value(text[i]) >= 0; ++i) take(hex_value(text[i]), false);
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        const bool digits_after = j < text.size() && hex_value(text[j]) >= 0;
        if (any_digit || digits_after) {
            for (; j < text.size() && hex_value(text[j]) >= 0; ++j) take(hex_value(text[j]), true);
            i = j;
        }
    }
    if (!any_digit) return std::nullopt;
    long written = 0;
    i += scan_exponent(text.substr(i), 'p', written);
    const long total = std::max(-2 * kExponentLimit, std::min(2 * kExponentLimit, exponent + written));
    const double value = mantissa == 0 ? 0.0 : std::ldexp(static_cast<double>(mantissa), static_cast<int>(total));
    return ScannedNumber{value, i};
}

// Digits of an unsigned whole number.
std::string digits_of(uint64_t value) {
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0);
    return text;
}

// The exact digits of a whole number of any size, as printf's "%.0f" writes
// them: past uint64_t, its 53-bit mantissa doubled digit by digit.
std::string whole_digits(double whole) {
    if (whole < 0x1p63) return digits_of(static_cast<uint64_t>(whole));
    int exponent = 0;
    std::string digits = digits_of(static_cast<uint64_t>(std::ldexp(std::frexp(whole, &exponent), 53)));
    for (; exponent > 53; --exponent) {
        int carry = 0;
        for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
            const int twice = (*d - '0') * 2 + carry;
            *d = static_cast<char>('0' + twice % 10);
            carry = twice / 10;
        }
        if (carry != 0) digits.insert(digits.begin(), '1');
    }
    return digits;
}

// "e+05", "e-30", "e+38": at least two exponent digits, as printf writes them.
std::string exponent_text(int exponent) {
    std::string digits = digits_of(static_cast<uint64_t>(exponent < 0 ? -exponent : exponent));
    if (digits.size() < 2) digits.insert(digits.begin(), '0');
    return std::string(exponent < 0 ? "e-" : "e+") + digits;
}

// The `count` leading significant digits of v > 0, rounded to nearest (ties
// to even), with the power of ten of the first: v ~ 0.ddd x 10^(place + 1).
std::string leading_digits(double v, int count, int& place) {
    place = static_cast<int>(std::floor(std::log10(v)));
    if (v < power_of_ten(place)) --place;
    if (v >= power_of_ten(place + 1)) ++place;
    const int shift = count - 1 - place;
    const double scaled = shift >= 0 ? v * power_of_ten(shift) : v / power_of_ten(-shift);
    auto n = static_cast<uint64_t>(std::nearbyint(scaled));
    const uint64_t limit = static_cast<uint64_t>(power_of_ten(count));
    if (n >= limit) {  // 9.99... rounded up to 10.0
        n /= 10;
        ++place;
    }
    return digits_of(n);
}

std::string scientific_text(const std::string& digits, int place) {
    std::string text(1, digits[0]);
    if (digits.size() > 1) text += std::string(".") + digits.substr(1);
    return text + exponent_text(place);
}

std::string named_text(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    return std::signbit(value) ? "-inf" : "inf";
}

}  // namespace

std::optional<ScannedNumber> scan_unsigned_number(std::string_view text, bool hex) {
    if (hex) return scan_hex(text);
    if (const std::optional<ScannedNumber> named = scan_named(text)) return named;
    return scan_decimal(text);
}

float nearest_float(double value) {
    // Halfway between the largest float and the next power of two: from here
    // on the nearest float is an infinity.
    constexpr double kFloatOverflow = 0x1.ffffffp127;
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (std::fabs(value) >= kFloatOverflow) {
        return std::signbit(value) ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

std::string shortest_float_text(float value) {
    if (!std::isfinite(value)) return named_text(value);
    const std::string sign = std::signbit(value) ? "-" : "";
    const double v = std::fabs(static_cast<double>(value));
    if (v == 0.0) return sign + "0";

    // The fewest significant digits that read back as the same float.
    std::string digits;
    int place = 0;
    for (int count = 1; count <= 9; ++count) {
        digits = leading_digits(v, count, place);
        const std::string candidate = scientific_text(digits, place);
        const std::optional<ScannedNumber> back = scan_decimal(candidate);
        if (back && nearest_float(back->value) == static_cast<float>(v)) break;
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const auto count = static_cast<int>(digits.size());
    const std::string scientific = scientific_text(digits, place);
    std::string fixed;
    if (place >= count - 1) {
        // A whole number: its exact digits, as printf's "%.0f" writes them.
        // Only numbers below 10^14 can be shorter in fixed notation, and
        // those convert to an integer exactly.
        if (place + 1 > static_cast<int>(scientific.size())) return sign + scientific;
        fixed = digits_of(static_cast<uint64_t>(v));
    } else if (place >= 0) {
        fixed = digits.substr(0, static_cast<size_t>(place + 1)) + std::string(".") + digits.substr(static_cast<size_t>(place + 1));
    } else {
        fixed = "0." + std::string(static_cast<size_t>(-place - 1), '0') + digits;
    }
    return sign + (fixed.size() <= scientific.size() ? fixed : scientific);
}

std::string fixed_float_text(double value, int decimals, size_t max_chars) {
    if (!std::isfinite(value)) return named_text(value);
    const std::string sign = std::signbit(value) ? "-" : "";
    const double v = std::fabs(value);
    const double unit = power_of_ten(decimals);
    // A float times a power of ten up to 10^6 is exact in a double, so this
    // rounds the value itself, ties to even as printf does.
    const double scaled = std::nearbyint(v * unit);
    if (scaled < 0x1p63) {
        const auto n = static_cast<uint64_t>(scaled);
        const auto whole_unit = static_cast<uint64_t>(unit);
        std::string text = sign + digits_of(n / whole_unit);
        if (decimals > 0) {
            const std::string fraction = digits_of(n % whole_unit);
            text += std::string(".") + std::string(static_cast<size_t>(decimals) - fraction.size(), '0') + fraction;
        }
        if (text.size() <= max_chars) return text;
    } else if (v == std::floor(v) && v < power_of_ten(static_cast<int>(std::min<size_t>(max_chars, 309)))) {
        // So large that it is whole (every float from here on is), and no
        // more digits than max_chars: its digits, then zeros.
        const std::string text = sign + whole_digits(v) + (decimals > 0 ? std::string(".") + std::string(static_cast<size_t>(decimals), '0') : "");
        if (text.size() <= max_chars) return text;
    }
    // Zero has no leading digit to find: its digits are all zeros, "0.000e+00".
    int place = 0;
    std::string digits = v == 0.0 ? std::string(static_cast<size_t>(decimals) + 1, '0') : leading_digits(v, decimals + 1, place);
    return sign + digits.substr(0, 1) + (decimals > 0 ? std::string(".") + digits.substr(1) : "") + exponent_text(place);
}

}  // namespace qv3
