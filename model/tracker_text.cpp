// The conversions between UTF-8 and the tracker's one-byte characters.
#include "model/tracker_text.h"

#include "model/utf8.h"

namespace qv3 {

TrackerText utf8_to_tracker(std::string_view utf8) {
    TrackerText text;
    text.bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const Utf8Char c = utf8_char_at(utf8, at);
        if (c.length == 0) return {TrackerTextOutcome::NotUtf8, {}, 0};
        if (c.code > kLastTrackerCharacter) return {TrackerTextOutcome::CannotStore, {}, c.code};
        text.bytes.push_back(static_cast<char>(c.code));
        at += c.length;
    }
    return text;
}

std::string tracker_to_utf8(std::string_view tracker_bytes) {
    std::string utf8;
    utf8.reserve(tracker_bytes.size());
    for (const char byte : tracker_bytes) append_utf8(utf8, static_cast<unsigned char>(byte));
    return utf8;
}

std::string cannot_store_text(char32_t character) {
    static const char hex[] = "0123456789ABCDEF";
    std::string code;
    for (char32_t rest = character; rest != 0 || code.size() < 4; rest >>= 4) code.insert(code.begin(), hex[rest & 0xF]);
    std::string text = "the tracker cannot store the character '";
    if (character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF)) {
        append_utf8(text, character);
    } else {
        append_utf8(text, kReplacementCharacter);  // no character has that code
    }
    return text + "' (U+" + code + ")";
}

std::string tracker_text_problem(const TrackerText& text) {
    switch (text.outcome) {
        case TrackerTextOutcome::Stored: return {};
        case TrackerTextOutcome::CannotStore: return cannot_store_text(text.character);
        case TrackerTextOutcome::NotUtf8: return "the text is not UTF-8";
    }
    return {};
}

}  // namespace qv3
