// UTF-8 one character at a time: the decoding and encoding every text conversion of the programs shares.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qv3 {

// One character read from UTF-8 text. length is 0 when the bytes at that
// place are no well-formed UTF-8 (a stray continuation byte, a sequence cut
// short, an overlong form, a surrogate, a code past U+10FFFF).
struct Utf8Char {
    char32_t code = 0;
    std::size_t length = 0;
};

// The character that begins at text[at]; at must be below text.size().
Utf8Char utf8_char_at(std::string_view text, std::size_t at);

// Whether the whole of text is well-formed UTF-8.
bool is_utf8(std::string_view text);

// Appends code (at most U+10FFFF, no surrogate) as UTF-8.
void append_utf8(std::string& out, char32_t code);

// What stands in for a character that could not be read.
constexpr char32_t kReplacementCharacter = 0xFFFD;

}  // namespace qv3
