// The UI driver's commands: choosing the window to drive, reading and setting its controls, clicking, waiting.
#include "tests/ui_e2e/driver_commands.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <charconv>
#include <optional>

#include "tests/ui_e2e/driver_windows.h"

namespace qv3::driver {

namespace {

constexpr const char* kMainCaption = "Quorvale3Config v1.4";

// The window that the control commands act on, and the program's main window.
HWND target = nullptr;
HWND main_window = nullptr;

std::string ok() { return "ok"; }
// A query's answer: "ok|VALUE", VALUE possibly empty.
std::string value(const std::string& text) { return "ok|" + text; }
std::string err(const std::string& reason) { return "err|" + reason; }

std::optional<int> number(const std::string& text) {
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return parsed;
}

// Fields after the name, checked for count; numbers parsed where asked.
struct Args {
    const std::vector<std::string>& fields;
    bool has(std::size_t count) const { return fields.size() == count + 1; }
    const std::string& text(std::size_t i) const { return fields[i + 1]; }
    std::optional<int> num(std::size_t i) const { return number(fields[i + 1]); }
};

std::optional<HWND> control(const Args& args, std::size_t i) {
    const std::optional<int> id = args.num(i);
    if (!id || target == nullptr || !IsWindow(target)) return std::nullopt;
    const HWND item = GetDlgItem(target, *id);
    if (item == nullptr) return std::nullopt;
    return item;
}

std::string join(const std::vector<int>& ids) {
    std::string out;
    for (const int id : ids) {
        if (!out.empty()) out += ',';
        out += std::to_string(id);
    }
    return out;
}

std::string with_control(const Args& args, std::string (*act)(HWND, const Args&)) {
    const std::optional<HWND> item = control(args, 0);
    if (!item) return err("no such control");
    return act(*item, args);
}

std::string read_text(HWND item, const Args&) {
    const std::optional<std::string> text = text_of(item);
    return text ? value(escape(*text)) : err("no answer");
}

std::string write_text(HWND item, const Args& args) {
    return set_text_of(item, unescape(args.text(1))) ? ok() : err("WM_SETTEXT failed");
}

std::string press(HWND item, const Args&) { return click(item) ? ok() : err("BM_CLICK failed"); }

// States read without a message to the window's thread come after a round
// trip to it, so that the clicks sent before have been handled.
bool settled(HWND window) { return send(window, WM_NULL, 0, 0).has_value(); }

// A mouse click in the middle of the control, as its own button messages.
std::string mouse_click(HWND item, const Args&) {
    RECT rect{};
    if (!GetClientRect(item, &rect)) return err("no rectangle");
    const LPARAM where = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    if (!send(item, WM_LBUTTONDOWN, MK_LBUTTON, where) || !send(item, WM_LBUTTONUP, 0, where)) return err("no answer");
    return ok();
}

std::string enabled(HWND item, const Args&) {
    if (!settled(item)) return err("no answer");
    return value(IsWindowEnabled(item) ? "1" : "0");
}

std::string checked(HWND item, const Args&) {
    const std::optional<LRESULT> state = send(item, BM_GETCHECK, 0, 0);
    return state ? value(*state == BST_CHECKED ? "1" : "0") : err("no answer");
}

std::string selection(HWND item, const Args&) {
    const std::optional<LRESULT> index = send(item, CB_GETCURSEL, 0, 0);
    return index ? value(std::to_string(*index == CB_ERR ? -1 : static_cast<int>(*index))) : err("no answer");
}

std::string item_count(HWND item, const Args&) {
    const std::optional<LRESULT> count = send(item, CB_GETCOUNT, 0, 0);
    return count ? value(std::to_string(static_cast<int>(*count))) : err("no answer");
}

std::string select(HWND item, const Args& args) {
    const std::optional<int> index = args.num(1);
    if (!index) return err("bad index");
    return send(item, CB_SETCURSEL, static_cast<WPARAM>(*index), 0) ? ok() : err("no answer");
}

std::string style(HWND item, const Args&) {
    if (!settled(item)) return err("no answer");
    return value(std::to_string(static_cast<unsigned long>(GetWindowLongPtrA(item, GWL_STYLE))));
}

// wait-text|ID|TEXT|TIMEOUT: the control's text becomes TEXT.
std::string wait_text(HWND item, const Args& args) {
    const std::optional<int> timeout = args.num(2);
    if (!timeout) return err("bad timeout");
    const std::string wanted = unescape(args.text(1));
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bounded_wait(*timeout));
    std::string last;
    for (;;) {
        const std::optional<std::string> text = text_of(item);
        if (text) last = *text;
        if (text && *text == wanted) return ok();
        if (GetTickCount64() >= deadline) return err("still '" + escape(last) + "'");
        Sleep(kPollMs);
    }
}

std::string find_main(const Args& args) {
    const std::optional<int> timeout = args.num(0);
    if (!timeout) return err("bad timeout");
    const std::optional<HWND> found = wait_for_dialog(kMainCaption, *timeout);
    if (!found) return err("no main window");
    main_window = target = *found;
    return ok();
}

std::string find_dialog(const Args& args) {
    const std::optional<int> timeout = args.num(1);
    if (!timeout) return err("bad timeout");
    const std::optional<HWND> found = wait_for_dialog(unescape(args.text(0)), *timeout);
    if (!found) return err("no window captioned '" + args.text(0) + "'");
    target = *found;
    return ok();
}

// A round trip through the main window's thread: everything it was sent
// before has been handled, and a modal window it opened meanwhile exists.
std::string sync() {
    if (main_window == nullptr) return err("no main window");
    return send(main_window, WM_NULL, 0, 0) ? ok() : err("no answer");
}

std::string target_rect() {
    RECT rect{};
    if (target == nullptr || !GetWindowRect(target, &rect)) return err("no window");
    return value(std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
              std::to_string(rect.bottom));
}

// Every child window: id, class and rectangle in the window's client coordinates.
std::string children_of(HWND window) {
    std::string out;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        std::array<char, 64> name{};
        GetClassNameA(child, name.data(), static_cast<int>(name.size()));
        if (!out.empty()) out += ';';
        out += std::to_string(GetDlgCtrlID(child)) + ":" + name.data() + ":" + std::to_string(rect.left) + "," +
               std::to_string(rect.top) + "," + std::to_string(rect.right) + "," + std::to_string(rect.bottom);
    }
    return out;
}

// The tooltip control that the window owns; nullptr when it has none.
HWND tooltip_of(HWND window) {
    struct Search {
        HWND owner;
        HWND found;
    } search{window, nullptr};
    EnumWindows(
        [](HWND candidate, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            std::array<char, 64> name{};
            GetClassNameA(candidate, name.data(), static_cast<int>(name.size()));
            if (lstrcmpiA(name.data(), TOOLTIPS_CLASSA) != 0 || GetWindow(candidate, GW_OWNER) != s->owner) return TRUE;
            s->found = candidate;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string tooltip_tools() {
    const HWND tip = tooltip_of(target);
    if (tip == nullptr) return err("no tooltip control");
    const std::optional<LRESULT> count = send(tip, TTM_GETTOOLCOUNT, 0, 0);
    return count ? value(std::to_string(static_cast<int>(*count))) : err("no answer");
}

// hover|ID|TIMEOUT: the mouse rests on the control until the window's tooltip
// shows; its text is the answer.
std::string hover(HWND item, const Args& args) {
    const std::optional<int> timeout = args.num(1);
    const HWND tip = tooltip_of(target);
    if (!timeout) return err("bad timeout");
    if (tip == nullptr) return err("no tooltip control");
    RECT rect{};
    if (!GetWindowRect(item, &rect)) return err("no rectangle");
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bounded_wait(*timeout));
    // A tip another control showed where the mouse rested before is put away
    // once the mouse is on this one, so the tip found below is this control's.
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    Sleep(4 * kPollMs);
    send(tip, TTM_POP, 0, 0);
    // A small move each time: the tooltip counts its delay from a move over the tool.
    for (int step = 0;; step = (step + 1) % 3) {
        SetCursorPos((rect.left + rect.right) / 2 + step, (rect.top + rect.bottom) / 2);
        for (int i = 0; i < 20; ++i) {
            if (IsWindowVisible(tip)) {
                // Drawn before the answer, so that a screenshot finds it painted.
                RedrawWindow(tip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
                settled(tip);
                const std::optional<std::string> text = text_of(tip);
                if (text && !text->empty()) return value(escape(*text));
            }
            Sleep(kPollMs);
        }
        if (GetTickCount64() >= deadline) return err("no tooltip shown");
    }
}

// The mouse away from the program's windows, and the tooltip hidden again.
std::string unhover() {
    if (!SetCursorPos(0, 0)) return err("SetCursorPos failed");
    const HWND tip = tooltip_of(target);
    if (tip == nullptr) return ok();
    for (int i = 0; i < 40 && IsWindowVisible(tip); ++i) Sleep(kPollMs);
    if (IsWindowVisible(tip)) send(tip, TTM_POP, 0, 0);
    return IsWindowVisible(tip) ? err("the tooltip stays up") : ok();
}

// A key (with Alt held: as the system sends it, WM_SYSKEYDOWN with the Alt
// bit), through the target thread's message loop to the focused control.
std::string press_key(UINT key, bool alt) {
    if (target == nullptr) return err("no window");
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &info)) return err("no thread info");
    // The focused control when it belongs to the window, else the window itself:
    // either way the key passes the window's dialog keyboard handling.
    HWND receiver = info.hwndFocus;
    if (receiver == nullptr || (receiver != target && !IsChild(target, receiver))) receiver = target;
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    const LPARAM down = static_cast<LPARAM>(1u | (scan << 16) | (alt ? 1u << 29 : 0u));
    const LPARAM up = static_cast<LPARAM>(down | (1u << 30) | (1u << 31));
    if (!PostMessageA(receiver, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down)) return err("post failed");
    PostMessageA(receiver, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
    return ok();
}

}  // namespace

std::string escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '|') out += "\\p";
        else out += c;
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 'p' ? '|' : next;
    }
    return out;
}

std::string run_command(const std::vector<std::string>& fields, bool& done) {
    if (fields.empty()) return err("empty request");
    const std::string& name = fields[0];
    const Args args{fields};

    if (name == "exit" && args.has(0)) {
        done = true;
        return ok();
    }
    if (name == "main" && args.has(1)) return find_main(args);
    if (name == "dialog" && args.has(2)) return find_dialog(args);
    if (name == "use-main" && args.has(0)) {
        target = main_window;
        return main_window != nullptr ? ok() : err("no main window");
    }
    if (name == "count-dialogs" && args.has(1)) {
        return value(std::to_string(dialogs_with_caption(unescape(args.text(0))).size()));
    }
    if (name == "sync" && args.has(0)) return sync();
    // A box that a click closed may be gone before this request arrives.
    if (name == "gone" && args.has(1) && (target == nullptr || !IsWindow(target))) {
        return args.num(0) ? ok() : err("bad timeout");
    }
    if (target == nullptr || !IsWindow(target)) return err("no window to drive");

    if (name == "text" && args.has(1)) return with_control(args, read_text);
    if (name == "set" && args.has(2)) return with_control(args, write_text);
    if (name == "click" && args.has(1)) return with_control(args, press);
    if (name == "mouse-click" && args.has(1)) return with_control(args, mouse_click);
    if (name == "enabled" && args.has(1)) return with_control(args, enabled);
    if (name == "checked" && args.has(1)) return with_control(args, checked);
    if (name == "sel" && args.has(1)) return with_control(args, selection);
    if (name == "count" && args.has(1)) return with_control(args, item_count);
    if (name == "select" && args.has(2)) return with_control(args, select);
    if (name == "style" && args.has(1)) return with_control(args, style);
    if (name == "wait-text" && args.has(3)) return with_control(args, wait_text);
    if (name == "tab" && args.has(2)) {
        const std::optional<HWND> tabs = control(args, 0);
        const std::optional<int> index = args.num(1);
        if (!tabs || !index) return err("no such tab control");
        return click_tab(*tabs, *index, kLongestWaitMs / 4) ? ok() : err("the tab was not selected");
    }
    if (name == "caption" && args.has(0)) {
        const std::optional<std::string> text = text_of(target);
        return text ? value(escape(*text)) : err("no answer");
    }
    if (name == "message" && args.has(0)) return value(escape(longest_static_text(target)));
    if (name == "default-button" && args.has(0)) {
        const std::optional<LRESULT> id = send(target, DM_GETDEFID, 0, 0);
        if (!id || HIWORD(*id) != DC_HASDEFID) return err("no default button");
        return value(std::to_string(LOWORD(*id)));
    }
    if (name == "focus" && args.has(0)) {
        return settled(target) ? value(std::to_string(focused_control(target))) : err("no answer");
    }
    if (name == "tab-order" && args.has(0)) {
        return settled(target) ? value(join(tab_order(target))) : err("no answer");
    }
    if (name == "rect" && args.has(0)) return target_rect();
    if (name == "paint" && args.has(0)) {
        // Painted now, children included, so that a screenshot finds it drawn.
        RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return settled(target) ? ok() : err("no answer");
    }
    if (name == "window-style" && args.has(0)) {
        return value(std::to_string(static_cast<unsigned long>(GetWindowLongPtrA(target, GWL_STYLE))));
    }
    if (name == "tab-sel" && args.has(1)) {
        const std::optional<HWND> tabs = control(args, 0);
        const std::optional<LRESULT> index = tabs ? send(*tabs, TCM_GETCURSEL, 0, 0) : std::nullopt;
        return index ? value(std::to_string(static_cast<int>(*index))) : err("no such tab control");
    }
    if (name == "children" && args.has(0)) return value(children_of(target));
    if (name == "close" && args.has(0)) {
        return PostMessageA(target, WM_SYSCOMMAND, SC_CLOSE, 0) ? ok() : err("post failed");
    }
    if (name == "escape" && args.has(0)) return press_key(VK_ESCAPE, false);
    if (name == "alt-key" && args.has(1)) {
        const std::optional<int> key = args.num(0);
        return key && *key > 0 && *key < 256 ? press_key(static_cast<UINT>(*key), true) : err("bad key");
    }
    if (name == "tooltip-tools" && args.has(0)) return tooltip_tools();
    if (name == "hover" && args.has(2)) return with_control(args, hover);
    if (name == "unhover" && args.has(0)) return unhover();
    if (name == "gone" && args.has(1)) {
        const std::optional<int> timeout = args.num(0);
        if (!timeout) return err("bad timeout");
        return wait_until_gone(target, *timeout) ? ok() : err("still there");
    }
    if (name == "visible" && args.has(0)) return value(IsWindowVisible(target) ? "1" : "0");
    return err("unknown command or wrong number of fields: " + name);
}

}  // namespace qv3::driver
