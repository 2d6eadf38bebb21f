// Numbers to text and back, the same on every compiler and in every locale.
//
// The form's frequency field and the settings text both read and show
// floating-point numbers. The standard library's to_chars/from_chars for
// floating point are missing from some targets (the browser build's
// compiler), and printf/strtod follow the process's locale (a window may set
// one where the decimal separator is ','), so the project owns this unit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qv3 {

// A number read from the start of a text.
struct ScannedNumber {
    double value = 0.0;   // the nearest double, ties to even, as strtod gives; infinity beyond any double
    size_t length = 0;    // characters taken
};

// Reads an unsigned number at the start of text: digits with an optional '.'
// and an optional exponent ("145.5", "1e-5"), or "inf", "infinity" and "nan"
// in any letter case; with hex, hex digits with an optional '.' and an
// optional binary exponent ("1.8p3", the "0x" already taken by the caller).
// No sign and no white space. Nothing when no number begins the text. A
// magnitude too small for a double reads as 0.
std::optional<ScannedNumber> scan_unsigned_number(std::string_view text, bool hex);

// The nearest float to value; infinity beyond the float range.
float nearest_float(double value);

// The shortest text that reads back as value, in fixed or exponent notation,
// whichever is shorter (fixed on a tie): "144.39", "1e-04", "3.4028235e+38",
// "123456792", "-0", "inf", "nan".
std::string shortest_float_text(float value);

// value with `decimals` digits after the point ("%.3f"); exponent notation
// with `decimals` digits after the point ("%.3e") when the fixed text would be
// longer than max_chars.
std::string fixed_float_text(double value, int decimals, size_t max_chars);

}  // namespace qv3
