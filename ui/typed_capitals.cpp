// Capitals within the tracker's character set: a small letter goes up only where its capital has a byte.
#include "ui/typed_capitals.h"

#include "model/utf8.h"

namespace qv3 {

namespace {

char32_t capital_of(char32_t c) {
    // Latin-1's small letters lie 0x20 above their capitals; U+00F7 is the
    // division sign, and ß (U+00DF), ÿ (U+00FF) and µ (U+00B5) lie outside
    // both ranges.
    const bool ascii_small = c >= U'a' && c <= U'z';
    const bool latin1_small = c >= 0xE0 && c <= 0xFE && c != 0xF7;
    return ascii_small || latin1_small ? c - 0x20 : c;
}

}  // namespace

std::string typed_capitals(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char c = utf8_char_at(text, at);
        if (c.length == 0) {
            out.push_back(text[at++]);
            continue;
        }
        append_utf8(out, capital_of(c.code));
        at += c.length;
    }
    return out;
}

}  // namespace qv3
