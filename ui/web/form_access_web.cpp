// The form_access.h functions over the page's DOM: each control found by window and id.
#include "ui/form_access.h"

#include <string>

#include "ui/form_fields.h"
#include "ui/web/page_imports.h"

namespace qv3 {

namespace {

// The longest text the form reads is kTextFieldMaxChars characters of up to
// four bytes each; the page's own texts (a port's name) are shorter.
constexpr int kMaxTextBytes = 4 * 1024;

int window_of(WindowHandle window) { return static_cast<int>(window); }

}  // namespace

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    std::string text(kMaxTextBytes, '\0');
    const int length = qv3_dom_get_text(window_of(window), id, text.data(), kMaxTextBytes);
    text.resize(length > 0 && length < kMaxTextBytes ? static_cast<std::size_t>(length) : 0);
    return first_characters(text, max_chars);
}

void set_text(WindowHandle window, int id, std::string_view text) {
    const std::string value(text.substr(0, text.find('\0')));
    qv3_dom_set_text(window_of(window), id, value.c_str());
}

bool get_check(WindowHandle window, int id) { return qv3_dom_get_check(window_of(window), id) != 0; }

void set_check(WindowHandle window, int id, bool checked) { qv3_dom_set_check(window_of(window), id, checked ? 1 : 0); }

int get_selection(WindowHandle window, int id) { return qv3_dom_get_selection(window_of(window), id); }

void set_selection(WindowHandle window, int id, int index) { qv3_dom_set_selection(window_of(window), id, index); }

void add_list_item(WindowHandle window, int id, std::string_view text, std::string_view) {
    const std::string value(text.substr(0, text.find('\0')));
    qv3_dom_add_item(window_of(window), id, value.c_str());
}

void clear_list(WindowHandle window, int id) { qv3_dom_clear_list(window_of(window), id); }

void set_enabled(WindowHandle window, int id, bool enabled) {
    qv3_dom_set_enabled(window_of(window), id, enabled ? 1 : 0);
}

bool is_enabled(WindowHandle window, int id) { return qv3_dom_is_enabled(window_of(window), id) != 0; }

void set_read_only(WindowHandle window, int id, bool read_only) {
    qv3_dom_set_read_only(window_of(window), id, read_only ? 1 : 0);
}

void set_focus(WindowHandle window, int id) { qv3_dom_set_focus(window_of(window), id); }

void set_control_name(WindowHandle window, int id, std::string_view name) {
    const std::string value(name.substr(0, name.find('\0')));
    qv3_dom_set_name(window_of(window), id, value.c_str());
}

}  // namespace qv3
