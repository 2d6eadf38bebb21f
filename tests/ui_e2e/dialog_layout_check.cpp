// dialog_layout_check.exe: compares live Windows dialogs with the layouts of ui/dialog_layouts.h, control by control.
//
//   dialog_layout_check.exe            creates both dialogs as the program does and checks them
//   dialog_layout_check.exe --running  checks the main window of the running program
//
// Each control's class, style, text and rectangle (the layout's dialog units
// mapped by the dialog's own MapDialogRect), the creation order and the tab
// order. Needs a display (Wine's X11 driver under Xvfb). Prints one line per
// difference and "layout: N checks, N differences"; exit code 0 when none.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ui/dialog_layouts.h"
#include "ui/win32/dialog_builder_win32.h"

namespace {

using qv3::ControlKind;
using qv3::DialogLayout;
using qv3::LayoutControl;

int checks = 0;
int differences = 0;

void check(bool ok, const std::string& what) {
    ++checks;
    if (ok) return;
    ++differences;
    std::printf("DIFF  %s\n", what.c_str());
}

std::string text_of(HWND window) {
    std::array<char, 512> buffer{};
    const int length = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0u);
}

std::string class_of(HWND window) {
    std::array<char, 64> buffer{};
    const int length = GetClassNameA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0u);
}

DWORD style_of(HWND window) { return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)); }

std::string hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lx", static_cast<unsigned long>(value));
    return buffer;
}

std::string name_of(const LayoutControl& c) {
    return c.id != qv3::kNoControlId ? std::to_string(c.id) : std::string("'") + c.text + "'";
}

// The window class each kind is made of, named independently of the template builder.
const char* class_for(ControlKind kind) {
    switch (kind) {
        case ControlKind::Tabs: return WC_TABCONTROLA;
        case ControlKind::Label:
        case ControlKind::Unit:
        case ControlKind::StatusText: return "Static";
        case ControlKind::Edit: return "Edit";
        case ControlKind::DropList:
        case ControlKind::ComboEdit: return "ComboBox";
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::Button: return "Button";
    }
    return "";
}

bool is_tab_stop(ControlKind kind) {
    return kind != ControlKind::Label && kind != ControlKind::Unit && kind != ControlKind::StatusText &&
           kind != ControlKind::GroupBox;
}

// The style bits that make a control its kind and carry its input rules, read
// independently of the template builder's mapping.
bool kind_and_rules_match(const LayoutControl& c, DWORD style) {
    const auto rule = [&c](unsigned bit) { return (c.rules & bit) != 0; };
    switch (c.kind) {
        case ControlKind::Label: return (style & SS_TYPEMASK) == SS_RIGHT;
        case ControlKind::Unit:
        case ControlKind::StatusText: return (style & SS_TYPEMASK) == SS_LEFT;
        case ControlKind::Edit:
            // The program keeps capitals itself: ES_UPPERCASE would make ones the tracker cannot store.
            return (style & ES_UPPERCASE) == 0 && ((style & ES_NUMBER) != 0) == rule(qv3::kRuleDigitsOnly) &&
                   ((style & ES_MULTILINE) != 0) == rule(qv3::kRuleMultiLine) &&
                   ((style & ES_WANTRETURN) != 0) == rule(qv3::kRuleMultiLine) && (style & ES_AUTOHSCROLL) &&
                   (style & (ES_AUTOVSCROLL | WS_VSCROLL)) ==
                       (rule(qv3::kRuleScrolls) ? DWORD{ES_AUTOVSCROLL | WS_VSCROLL} : 0) &&
                   !(style & WS_HSCROLL);
        case ControlKind::GroupBox: return (style & BS_TYPEMASK) == BS_GROUPBOX;
        case ControlKind::CheckBox: return (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        case ControlKind::Button:
            return (style & BS_TYPEMASK) == (rule(qv3::kRuleDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::DropList: return (style & 0x3) == CBS_DROPDOWNLIST && !(style & CBS_SORT);
        case ControlKind::ComboEdit: return (style & 0x3) == CBS_DROPDOWN && !(style & CBS_SORT);
        case ControlKind::Tabs: return true;
    }
    return false;
}

// Style bits a control changes once created: an edit draws its border as a
// client edge, a combo box hands its scroll bar to the list it drops down.
// A running one also changes its enabling and, for push buttons, which one
// is the default.
DWORD changed_bits(ControlKind kind, bool running) {
    DWORD bits = 0;
    if (kind == ControlKind::Edit) bits |= WS_BORDER;
    if (kind == ControlKind::DropList || kind == ControlKind::ComboEdit) bits |= WS_VSCROLL;
    if (running) bits |= WS_DISABLED;
    if (running && kind == ControlKind::Button) bits |= BS_DEFPUSHBUTTON;
    return bits;
}

// A rectangle in pixels of the dialog it is mapped by. The dialog manager
// maps position and size each on its own, so they are mapped here alike.
RECT pixels(HWND units_of, const qv3::DialogRect& r) {
    RECT mapped{r.x, r.y, r.width, r.height};
    MapDialogRect(units_of, &mapped);
    return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

RECT placed(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string rect_text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

void check_control(HWND dialog, HWND units_of, HWND child, const LayoutControl& c, bool running) {
    const std::string name = name_of(c);
    check(class_of(child) == class_for(c.kind), name + ": class " + class_of(child));
    check(GetDlgCtrlID(child) == c.id, name + ": id " + std::to_string(GetDlgCtrlID(child)));
    const DWORD want = qv3::control_style(c);
    const DWORD mask = ~changed_bits(c.kind, running);
    check((style_of(child) & mask) == (want & mask), name + ": style " + hex(style_of(child)) + ", not " + hex(want));
    check(((style_of(child) & WS_TABSTOP) != 0) == is_tab_stop(c.kind), name + ": tab stop");
    // The dialog manager moves the default-button style between buttons.
    if (!running || c.kind != ControlKind::Button) {
        check(kind_and_rules_match(c, style_of(child)), name + ": style " + hex(style_of(child)) + " is not its kind");
    }
    // Fields and lists show values, not the layout's text.
    const bool captioned = c.kind != ControlKind::Edit && c.kind != ControlKind::DropList &&
                           c.kind != ControlKind::ComboEdit && c.kind != ControlKind::StatusText;
    if (captioned) check(text_of(child) == c.text, name + ": text '" + text_of(child) + "'");
    const RECT want_rect = pixels(units_of, c.rect);
    RECT got = placed(dialog, child);
    // A combo box sets its own closed height.
    if (c.kind == ControlKind::DropList || c.kind == ControlKind::ComboEdit) got.bottom = want_rect.bottom;
    check(EqualRect(&got, &want_rect) != FALSE, name + ": at " + rect_text(got) + ", not " + rect_text(want_rect));
}

// The children in z-order match the layout in creation order; the program
// puts the tab control at the bottom, so it may come last instead of first.
void check_dialog(HWND dialog, HWND units_of, const DialogLayout& layout, bool running) {
    const std::string where = layout.caption;
    check(text_of(dialog) == layout.caption, where + ": caption '" + text_of(dialog) + "'");
    const DWORD style = style_of(dialog);
    check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), where + ": no caption or system menu");
    check(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), where + ": resizable or min/max box");
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT want = pixels(units_of, {0, 0, layout.width, layout.height});
    check(EqualRect(&client, &want) != FALSE,
          where + ": client area " + rect_text(client) + ", not " + rect_text(want));

    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && children.size() < 512;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    std::vector<const LayoutControl*> order;
    for (const LayoutControl& c : layout.controls) order.push_back(&c);
    if (running && !order.empty() && order.front()->kind == ControlKind::Tabs) {
        order.push_back(order.front());
        order.erase(order.begin());
    }
    check(children.size() == order.size(), where + ": " + std::to_string(children.size()) + " controls, not " +
                                               std::to_string(order.size()));
    for (std::size_t i = 0; i < children.size() && i < order.size(); ++i) {
        check_control(dialog, units_of, children[i], *order[i], running);
    }

    // Keyboard order: the layout's tab stops that can take the focus now, in
    // the order of the windows (the same round of the Tab key).
    std::vector<int> expected;
    for (const LayoutControl* c : order) {
        const HWND item = GetDlgItem(dialog, c->id);
        if (is_tab_stop(c->kind) && item != nullptr && IsWindowEnabled(item)) expected.push_back(c->id);
    }
    std::vector<int> got;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at != nullptr && got.size() < 512;) {
        got.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
        if (at == first) break;
    }
    check(got == expected, where + ": the tab order differs from the creation order");
}

void check_font(HWND dialog, const DialogLayout& layout) {
    LOGFONTA font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    const bool read = handle != nullptr && GetObjectA(handle, sizeof font, &font) == sizeof font;
    check(read && std::strcmp(font.lfFaceName, layout.font_face) == 0,
          std::string(layout.caption) + ": font is not " + layout.font_face);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    check(font.lfHeight == -MulDiv(layout.font_points, dpi, 72), std::string(layout.caption) + ": font size");
}

INT_PTR CALLBACK plain_procedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void check_created(const DialogLayout& layout) {
    const HWND dialog = qv3::create_dialog(layout, nullptr, plain_procedure, 0);
    check(dialog != nullptr, std::string(layout.caption) + ": not created");
    if (dialog == nullptr) return;
    check(!(style_of(dialog) & WS_VISIBLE), std::string(layout.caption) + ": created visible");
    check_font(dialog, layout);
    // Every control enabled, so that the tab order includes them all.
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        EnableWindow(child, TRUE);
    }
    check_dialog(dialog, dialog, layout, false);
    DestroyWindow(dialog);
}

// The running program's main window, measured in the units of the same layout
// made here: another process's window cannot be asked for its dialog units.
void check_running(const DialogLayout& layout) {
    HWND running = nullptr;
    for (int tries = 0; tries < 200 && running == nullptr; ++tries) {
        running = FindWindowA(MAKEINTATOM(32770), layout.caption);
        if (running == nullptr) Sleep(50);
    }
    check(running != nullptr, std::string(layout.caption) + ": no running window");
    if (running == nullptr) return;
    const HWND units_of = qv3::create_dialog(layout, nullptr, plain_procedure, 0);
    check(units_of != nullptr, std::string(layout.caption) + ": not created");
    if (units_of == nullptr) return;
    check_dialog(running, units_of, layout, true);
    DestroyWindow(units_of);
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    if (argc > 1 && std::strcmp(argv[1], "--running") == 0) {
        check_running(qv3::kMainWindowLayout);
    } else {
        check_created(qv3::kMainWindowLayout);
        check_created(qv3::kTelemetryDialogLayout);
        check_created(qv3::kHistoryDialogLayout);
    }
    std::printf("layout: %d checks, %d differences\n", checks, differences);
    return differences == 0 ? 0 : 1;
}
