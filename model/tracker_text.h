// The tracker's character set: a text byte is the Latin-1 character of the same code (U+0000 to U+00FF).
//
// The texts of ConfigRecord (callsigns, paths, status and telemetry texts,
// the two symbol characters) hold the tracker's bytes, one a character, so
// that a text cut to a field's length is cut between characters. Front ends
// hold UTF-8 and cross over here, both ways:
//
//     const TrackerText typed = utf8_to_tracker(utf8_from_the_window);
//     if (typed.outcome != TrackerTextOutcome::Stored) {
//         show(tracker_text_problem(typed));  // nothing is substituted
//     } else {
//         record.status_text[bank] = typed.bytes;
//     }
//     show_in_the_window(tracker_to_utf8(record.status_text[bank]));
#pragma once

#include <string>
#include <string_view>

namespace qv3 {

// The last character the tracker can store.
constexpr char32_t kLastTrackerCharacter = 0xFF;

enum class TrackerTextOutcome {
    Stored,       // every character has its byte
    CannotStore,  // a character past U+00FF; character names the first one
    NotUtf8,      // the text is not well-formed UTF-8
};

struct TrackerText {
    TrackerTextOutcome outcome = TrackerTextOutcome::Stored;
    std::string bytes;       // the tracker's bytes when Stored, else empty
    char32_t character = 0;  // the first character that cannot be stored (CannotStore)
};

// UTF-8 text as the tracker's bytes, one a character. Refuses the whole text
// at its first character past U+00FF; never substitutes another one.
TrackerText utf8_to_tracker(std::string_view utf8);

// The tracker's bytes as UTF-8: every byte its Latin-1 character.
std::string tracker_to_utf8(std::string_view tracker_bytes);

// "the tracker cannot store the character 'C' (U+XXXX)": C is the character
// itself in UTF-8, XXXX its code in upper-case hex, at least four digits.
std::string cannot_store_text(char32_t character);

// What is wrong with a conversion, for people: cannot_store_text of the
// character, "the text is not UTF-8", or "" when Stored.
std::string tracker_text_problem(const TrackerText& text);

}  // namespace qv3
