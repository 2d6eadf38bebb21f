// Recognising a text file's encoding by its byte-order mark and by whether its bytes are UTF-8.
#include "cli/text_file_encoding.h"

#include <cstdint>

#include "model/utf8.h"

namespace qv3 {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

bool starts_with(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

std::string from_utf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const Utf8Char c = utf8_char_at(bytes, at);
        append_utf8(out, c.length == 0 ? kReplacementCharacter : c.code);
        at += c.length == 0 ? 1 : c.length;
    }
    return out;
}

std::string from_utf16(std::string_view bytes, bool big_endian) {
    const auto unit_at = [&](std::size_t at) -> char32_t {
        const auto first = static_cast<uint8_t>(bytes[at]);
        const auto second = static_cast<uint8_t>(bytes[at + 1]);
        return big_endian ? first << 8 | second : second << 8 | first;
    };
    const auto high = [](char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
    const auto low = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
    std::string out;
    out.reserve(bytes.size() / 2 * 3 + 3);
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t unit = unit_at(at);
        if (high(unit) && at + 3 < bytes.size() && low(unit_at(at + 2))) {
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unit_at(at + 2) - 0xDC00));
            at += 2;
        } else {
            append_utf8(out, high(unit) || low(unit) ? kReplacementCharacter : unit);
        }
    }
    if (at < bytes.size()) append_utf8(out, kReplacementCharacter);
    return out;
}

std::string from_latin1(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) append_utf8(out, static_cast<uint8_t>(byte));
    return out;
}

}  // namespace

std::string text_file_as_utf8(std::string_view bytes) {
    if (starts_with(bytes, kUtf8Mark)) return from_utf8(bytes.substr(kUtf8Mark.size()));
    if (starts_with(bytes, kUtf16LittleMark)) return from_utf16(bytes.substr(kUtf16LittleMark.size()), false);
    if (starts_with(bytes, kUtf16BigMark)) return from_utf16(bytes.substr(kUtf16BigMark.size()), true);
    if (is_utf8(bytes)) return std::string(bytes);
    return from_latin1(bytes);
}

}  // namespace qv3
