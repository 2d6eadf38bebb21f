// An in-memory table of windows and controls behind the form_access.h functions, for headless tests.
#include "fake_form.h"

#include <map>

namespace qv3 {

namespace {

struct FakeControl {
    std::string text;
    bool checked = false;
    std::vector<std::string> items;
    int selection = -1;
    bool enabled = true;
    bool text_reads_fail = false;
};

using FakeWindow = std::map<int, FakeControl>;

std::map<WindowHandle, FakeWindow>& windows() {
    static std::map<WindowHandle, FakeWindow> table;
    return table;
}

WindowHandle& last_handle() {
    static WindowHandle handle = 0;
    return handle;
}

FakeControl& control(WindowHandle window, int id) { return windows()[window][id]; }

}  // namespace

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    const FakeControl& c = control(window, id);
    if (c.text_reads_fail) return std::string();
    return c.text.substr(0, max_chars);
}

void set_text(WindowHandle window, int id, std::string_view text) {
    control(window, id).text = std::string(text.substr(0, text.find('\0')));
}

bool get_check(WindowHandle window, int id) { return control(window, id).checked; }

void set_check(WindowHandle window, int id, bool checked) { control(window, id).checked = checked; }

int get_selection(WindowHandle window, int id) { return control(window, id).selection; }

// Like a combo box: selecting an item shows its text, selecting none empties it.
void set_selection(WindowHandle window, int id, int index) {
    FakeControl& c = control(window, id);
    if (index >= 0 && static_cast<std::size_t>(index) < c.items.size()) {
        c.selection = index;
        c.text = c.items[static_cast<std::size_t>(index)];
    } else {
        c.selection = -1;
        c.text.clear();
    }
}

void add_list_item(WindowHandle window, int id, std::string_view text) {
    control(window, id).items.emplace_back(text);
}

void clear_list(WindowHandle window, int id) {
    FakeControl& c = control(window, id);
    c.items.clear();
    c.selection = -1;
    c.text.clear();
}

void set_enabled(WindowHandle window, int id, bool enabled) { control(window, id).enabled = enabled; }

bool is_enabled(WindowHandle window, int id) { return control(window, id).enabled; }

namespace test {

WindowHandle new_fake_window() {
    const WindowHandle handle = ++last_handle();
    windows()[handle];
    return handle;
}

void reset_fake_forms() { windows().clear(); }

std::vector<std::string> fake_list_items(WindowHandle window, int id) { return control(window, id).items; }

std::vector<int> fake_disabled_controls(WindowHandle window) {
    std::vector<int> ids;
    for (const auto& [id, c] : windows()[window]) {
        if (!c.enabled) ids.push_back(id);
    }
    return ids;
}

void fake_fail_text_reads(WindowHandle window, int id) { control(window, id).text_reads_fail = true; }

}  // namespace test

}  // namespace qv3
