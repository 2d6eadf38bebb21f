// The ui tests' fakes: the form_access.h, host_services.h and serial_port.h functions over in-memory tables.
#include <algorithm>
#include <map>

#include "device/serial_port.h"
#include "ui/control_ids.h"
#include "ui/form_fields.h"
#include "ui/history_dialog.h"
#include "ui/host_services.h"
#include "ui/telemetry_binding.h"
#include "ui_fakes.h"

namespace qv3 {

// The form: a table of windows and controls.
namespace {

struct FakeControl {
    std::string text;
    bool checked = false;
    std::vector<std::string> items;
    int selection = -1;
    bool enabled = true;
    bool read_only = false;
    bool text_reads_fail = false;
    std::string name;  // set_control_name's; empty until given
};

using FakeWindow = std::map<int, FakeControl>;

std::map<WindowHandle, FakeWindow>& windows() {
    static std::map<WindowHandle, FakeWindow> table;
    return table;
}

FakeControl& control(WindowHandle window, int id) { return windows()[window][id]; }

// No control has the id 0: its selection is the id of the focused control.
FakeControl& focus(WindowHandle window) { return control(window, 0); }

}  // namespace

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    const FakeControl& c = control(window, id);
    if (c.text_reads_fail) return std::string();
    return first_characters(c.text, max_chars);
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

void add_list_item(WindowHandle window, int id, std::string_view text, std::string_view /*description*/) {
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

void set_read_only(WindowHandle window, int id, bool read_only) { control(window, id).read_only = read_only; }

void set_focus(WindowHandle window, int id) { focus(window).selection = id; }
void set_control_name(WindowHandle window, int id, std::string_view name) { control(window, id).name = name; }

namespace test {

WindowHandle new_fake_window() {
    static WindowHandle last_handle = 0;
    windows()[++last_handle];
    return last_handle;
}

void reset_fake_forms() { windows().clear(); }

int fake_focus(WindowHandle window) { return std::max(focus(window).selection, 0); }

std::vector<std::string> fake_list_items(WindowHandle window, int id) { return control(window, id).items; }
std::string fake_control_name(WindowHandle window, int id) { return control(window, id).name; }

std::vector<int> fake_disabled_controls(WindowHandle window) {
    std::vector<int> ids;
    for (const auto& [id, c] : windows()[window]) {
        if (!c.enabled) ids.push_back(id);
    }
    return ids;
}

std::vector<int> fake_read_only_controls(WindowHandle window) {
    std::vector<int> ids;
    for (const auto& [id, c] : windows()[window]) if (c.read_only) ids.push_back(id);
    return ids;
}

void fake_fail_text_reads(WindowHandle window, int id) { control(window, id).text_reads_fail = true; }

FakeHost& fake_host() {
    static FakeHost host;
    return host;
}

void reset_fake_host() { fake_host() = FakeHost{}; }

FakeSerial& fake_serial() {
    static FakeSerial line;
    return line;
}

}  // namespace test

// The host: answers from the script, and a log.
using test::fake_host;

bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    fake_host().log.push_back("question: " + std::string(caption) + " | " + std::string(text));
    if (fake_host().while_asking) fake_host().while_asking();
    if (fake_host().answers.empty()) return false;
    const bool answer = fake_host().answers.front();
    fake_host().answers.pop_front();
    return answer;
}

void show_notice(WindowHandle, std::string_view caption, std::string_view text) {
    fake_host().log.push_back("notice: " + std::string(caption) + " | " + std::string(text));
}

std::optional<std::string> choose_save_file(WindowHandle, std::string_view initial_name) {
    fake_host().log.push_back("save dialog: " + std::string(initial_name));
    return fake_host().save_path;
}

std::optional<std::string> choose_open_file(WindowHandle) {
    fake_host().log.push_back("open dialog");
    return fake_host().open_path;
}

// Runs the dialog as its procedure would: opened, edited, then ended with OK.
void show_telemetry_dialog(WindowHandle, ConfigRecord& record) {
    fake_host().log.push_back("telemetry dialog");
    const WindowHandle dialog = test::new_fake_window();
    telemetry_dialog_opened(dialog, record);
    if (fake_host().telemetry_edits) fake_host().telemetry_edits(dialog);
    telemetry_dialog_command(dialog, record, IDB_TELEMETRY_OK);
}

// Opens the dialog as its procedure would; the test's session clicks in it.
void show_history_dialog(WindowHandle, App& app) {
    fake_host().log.push_back("history dialog");
    const WindowHandle dialog = test::new_fake_window();
    history_dialog_opened(dialog, app);
    if (fake_host().history_session) fake_host().history_session(dialog);
}

bool open_folder(std::string_view folder) {
    fake_host().log.push_back("open folder: " + std::string(folder));
    return fake_host().folder_opens;
}

void post_quit_request(WindowHandle, int exit_code) {
    fake_host().log.push_back(exit_code == 0 ? "quit" : "quit " + std::to_string(exit_code));
}

void print_to_standard_error(std::string_view line) { fake_host().log.push_back("stderr: " + std::string(line)); }

// The serial line.
using test::fake_serial;

namespace {
constexpr PortHandle kFakeHandle = 7;
}  // namespace

void set_port_name(SerialPort& port, std::string_view name) { port.port_name.assign(name); }

PortOutcome open(SerialPort& port) {
    port.handle = kFakeHandle;
    fake_serial().opened.push_back(port.port_name);
    fake_serial().gone = false;
    return PortOutcome::Ok;
}

WriteResult write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    if (port.handle == kNoHandle) {
        port.last_error = "Write: ComPort Invalid";
        return {0, PortOutcome::Failed};
    }
    if (fake_serial().gone) return {0, PortOutcome::Gone};
    fake_serial().written.insert(fake_serial().written.end(), bytes, bytes + count);
    fake_serial().clock_ms += static_cast<int64_t>(pause_ms) * static_cast<int64_t>(count);
    return {count, PortOutcome::Ok};
}

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    if (fake_serial().gone) {
        port.reason = "Input/output error";
        return {PortOutcome::Gone, 0};
    }
    if (fake_serial().incoming.empty()) {
        fake_serial().clock_ms += kReadTimeoutMs;
        return {PortOutcome::NothingInTime, 0};
    }
    const uint8_t byte = fake_serial().incoming.front();
    fake_serial().incoming.pop_front();
    fake_serial().clock_ms += 1;
    return {PortOutcome::Ok, byte};
}

void close(SerialPort& port) { port.handle = kNoHandle; }

bool probe(SerialPort& port, std::string_view name) {
    set_port_name(port, name);
    fake_serial().probed.emplace_back(name);
    return fake_serial().probe_ok.count(std::string(name)) != 0;
}

bool port_may_exist(std::string_view name) { return fake_serial().may_exist.count(std::string(name)) != 0; }

void sleep_ms(SerialPort&, int ms) { fake_serial().clock_ms += ms; }

int64_t line_clock_ms(const SerialPort&) { return fake_serial().clock_ms; }

}  // namespace qv3
