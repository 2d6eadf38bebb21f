// One field at a time between the form's controls and typed values, every read bounded.
#include "ui/form_fields.h"

#include "model/utf8.h"
#include "ui/form_values.h"

namespace qv3 {

namespace {

// The control's text, cut to max_chars even if the window system gave more.
std::string read_bounded(WindowHandle window, int id, std::size_t max_chars) {
    return first_characters(get_text(window, id, max_chars), max_chars);
}

}  // namespace

std::string first_characters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < count && at < text.size(); ++n) {
        const std::size_t length = utf8_char_at(text, at).length;
        at += length == 0 ? 1 : length;
    }
    return std::string(text.substr(0, at));
}

std::size_t bank_index(const ConfigRecord& record) { return record.active_bank == Secondary ? 1 : 0; }

TrackerText read_text_field(WindowHandle window, int id) {
    return utf8_to_tracker(read_bounded(window, id, kTextFieldMaxChars));
}

int32_t read_decimal_field(WindowHandle window, int id) {
    return parse_decimal(read_bounded(window, id, kShortFieldMaxChars));
}

float read_frequency_field(WindowHandle window, int id) {
    return parse_frequency(read_bounded(window, id, kShortFieldMaxChars));
}

TrackerText read_character_field(WindowHandle window, int id) {
    return utf8_to_tracker(first_characters(read_bounded(window, id, kShortFieldMaxChars), 1));
}

uint8_t read_check_field(WindowHandle window, int id) { return get_check(window, id) ? 1 : 0; }

void show_decimal(WindowHandle window, int id, long long value) { set_text(window, id, format_decimal(value)); }

void show_frequency(WindowHandle window, int id, float mhz) { set_text(window, id, format_frequency(mhz)); }

void show_tracker_text(WindowHandle window, int id, std::string_view bytes) {
    set_text(window, id, tracker_to_utf8(bytes));
}

void show_character(WindowHandle window, int id, char c) {
    show_tracker_text(window, id, c == '\0' ? std::string_view() : std::string_view(&c, 1));
}

void show_check(WindowHandle window, int id, uint8_t flag) { set_check(window, id, flag != 0); }

void show_list_index(WindowHandle window, int id, long long index, std::size_t item_count) {
    const bool listed = index >= 0 && static_cast<unsigned long long>(index) < item_count;
    set_selection(window, id, listed ? static_cast<int>(index) : -1);
}

void fill_list(WindowHandle window, int id, std::span<const char* const> items) {
    clear_list(window, id);
    for (const char* item : items) add_list_item(window, id, item);
    set_selection(window, id, 0);
}

}  // namespace qv3
