// Reading and showing one field of a form: a text, a number, a character, a check box or a list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "model/tracker_text.h"
#include "ui/form_access.h"

namespace qv3 {

// Most characters a text field gives (read into a 300-character buffer).
constexpr std::size_t kTextFieldMaxChars = 299;
// Most characters read from a number, character or port field (a 100-character buffer).
constexpr std::size_t kShortFieldMaxChars = 99;

// The bank a form shows: active_bank, where any value but 1 means the primary.
std::size_t bank_index(const ConfigRecord& record);

// The first count characters of UTF-8 text; a byte that is no UTF-8 counts as one.
std::string first_characters(std::string_view text, std::size_t count);

// At most kTextFieldMaxChars characters, exactly as typed, as the tracker's
// bytes; empty when unreadable. A character the tracker cannot store makes
// the outcome CannotStore and the bytes empty: nothing is ever substituted.
TrackerText read_text_field(WindowHandle window, int id);

// parse_decimal of at most kShortFieldMaxChars characters.
int32_t read_decimal_field(WindowHandle window, int id);

// parse_frequency of at most kShortFieldMaxChars characters.
float read_frequency_field(WindowHandle window, int id);

// The first character as the tracker's byte (no byte when the field is
// empty); the other characters are not read.
TrackerText read_character_field(WindowHandle window, int id);

// 1 when checked, else 0.
uint8_t read_check_field(WindowHandle window, int id);

void show_decimal(WindowHandle window, int id, long long value);
void show_frequency(WindowHandle window, int id, float mhz);

// The tracker's bytes as the characters they are.
void show_tracker_text(WindowHandle window, int id, std::string_view bytes);

// A one-character text; NUL shows as empty.
void show_character(WindowHandle window, int id, char c);

void show_check(WindowHandle window, int id, uint8_t flag);

// Selects the item at index; an index outside [0, item_count) selects none.
void show_list_index(WindowHandle window, int id, long long index, std::size_t item_count);

// Empties a list, appends the items in order and selects the first.
void fill_list(WindowHandle window, int id, std::span<const char* const> items);

}  // namespace qv3
