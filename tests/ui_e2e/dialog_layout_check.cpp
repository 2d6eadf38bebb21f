// dialog_layout_check.exe: creates both dialogs from the program's resources and checks every control, label, group box, rectangle and the tab order.
//
// Needs a display (Wine's X11 driver under Xvfb). Prints one line per
// difference and "layout: N checks, N differences"; exit code 0 when none.
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/control_ids.h"

namespace {

enum class Kind { Tab, Edit, EditUpper, EditDigits, MultiLine, Check, Push, DefPush, DropList, ComboEdit, StatusText };

// One control: id, kind, its label (or caption), unit, and rectangle in dialog units.
struct Control {
    int id;
    Kind kind;
    const char* label;
    const char* unit;
    RECT dlu;  // left, top, width, height
};

struct Group {
    const char* caption;
    RECT dlu;
};

// The main window's controls in creation order.
const std::vector<Control> kMainControls = {
    {1006, Kind::Tab, nullptr, nullptr, {7, 7, 353, 247}},
    {1000, Kind::EditUpper, "Callsign", nullptr, {45, 24, 49, 14}},
    {1001, Kind::EditUpper, "Path", nullptr, {45, 39, 97, 14}},
    {1034, Kind::Edit, "Symbol", nullptr, {46, 55, 15, 14}},
    {1066, Kind::Edit, "Table", nullptr, {111, 55, 15, 14}},
    {1084, Kind::Edit, "Frequency", "MHz", {46, 70, 36, 14}},
    {1007, Kind::EditDigits, "Auto TXD", "ms", {86, 91, 25, 14}},
    {1009, Kind::EditDigits, "Auto TX Rate", "sec", {86, 106, 25, 14}},
    {1008, Kind::EditDigits, "Manual TXD", "ms", {86, 122, 25, 14}},
    {1010, Kind::EditDigits, "Manual TX Rate", "sec", {86, 138, 25, 14}},
    {1068, Kind::EditDigits, "Quiet Time", "msec", {86, 154, 25, 14}},
    {1082, Kind::EditDigits, "Calibration", nullptr, {86, 170, 25, 14}},
    {1038, Kind::Edit, "Text", nullptr, {38, 196, 118, 14}},
    {1036, Kind::EditDigits, "Send Every", nullptr, {57, 211, 25, 14}},
    {1074, Kind::Check, "Send Separate", nullptr, {97, 211, 63, 10}},
    {1075, Kind::Check, "Don't Send '>'", nullptr, {97, 221, 61, 10}},
    {1094, Kind::Push, "Edit Telemetry", nullptr, {64, 234, 50, 14}},
    {1025, Kind::Check, "Transmit Altitude", nullptr, {171, 22, 70, 10}},
    {1028, Kind::Check, "Allow TTL Serial", nullptr, {171, 32, 65, 10}},
    {1031, Kind::Check, "No TX Out on PTT In", nullptr, {171, 42, 81, 10}},
    {1077, Kind::Check, "Serial Out High", nullptr, {171, 52, 63, 10}},
    {1029, Kind::Check, "Alternate Digi Paths", nullptr, {171, 62, 79, 10}},
    {1030, Kind::Check, "Invert CD In", nullptr, {171, 72, 56, 10}},
    {1032, Kind::Check, "Send NMEA", nullptr, {171, 82, 53, 10}},
    {1022, Kind::Check, "Only Send Valid", nullptr, {275, 21, 65, 10}},
    {1076, Kind::Check, "Send 300 Baud", nullptr, {275, 31, 64, 10}},
    {1079, Kind::Check, "Serial 9600 Baud", nullptr, {275, 41, 69, 10}},
    {1080, Kind::Check, "TX Twist", nullptr, {275, 51, 43, 10}},
    {1081, Kind::Check, "Send DAO", nullptr, {275, 61, 49, 10}},
    {1078, Kind::Check, "No Startup Packet", nullptr, {275, 71, 74, 10}},
    {1035, Kind::DropList, "Timestamp", nullptr, {312, 81, 35, 153}},
    {1026, Kind::Check, "Enable", nullptr, {171, 106, 37, 10}},
    {1021, Kind::Check, "Force Printable", nullptr, {171, 119, 64, 10}},
    {1033, Kind::DropList, "Message", nullptr, {267, 101, 76, 153}},
    {1063, Kind::DropList, "Path", nullptr, {268, 117, 75, 140}},
    {1023, Kind::Check, "Enable", nullptr, {171, 145, 37, 10}},
    {1039, Kind::EditDigits, "Offset", "sec", {310, 143, 25, 14}},
    {1024, Kind::Check, "Enable", nullptr, {172, 171, 37, 10}},
    {1054, Kind::EditDigits, "Min Turn Angle", "deg", {225, 180, 25, 14}},
    {1057, Kind::EditDigits, "Turn Slope", nullptr, {225, 194, 25, 14}},
    {1060, Kind::EditDigits, "Min Turn Time", "sec", {225, 208, 25, 14}},
    {1042, Kind::EditDigits, "Slow Speed", "MPH", {311, 165, 25, 14}},
    {1048, Kind::EditDigits, "Slow Rate", "sec", {311, 180, 25, 14}},
    {1045, Kind::EditDigits, "Fast Speed", "MPH", {311, 195, 25, 14}},
    {1051, Kind::EditDigits, "Fast Rate", "sec", {311, 209, 25, 14}},
    {1027, Kind::Check, "Enable", nullptr, {173, 236, 37, 10}},
    {1071, Kind::EditDigits, nullptr, "sec", {311, 234, 25, 14}},
    {1073, Kind::ComboEdit, nullptr, nullptr, {7, 265, 49, 140}},
    {1003, Kind::Push, "Read Version", nullptr, {7, 279, 50, 14}},
    {1004, Kind::Push, "Read Config", nullptr, {65, 264, 50, 14}},
    {1005, Kind::Push, "Write Config", nullptr, {65, 279, 50, 14}},
    {1089, Kind::Push, "Send 1200Hz", nullptr, {126, 264, 50, 14}},
    {1090, Kind::Push, "Send 2200Hz", nullptr, {126, 278, 50, 14}},
    {1091, Kind::Push, "Send Both", nullptr, {179, 264, 50, 14}},
    {1092, Kind::Push, "Stop Test", nullptr, {179, 278, 50, 14}},
    {2, Kind::Push, "Quit", nullptr, {310, 281, 50, 14}},
    {1002, Kind::StatusText, nullptr, nullptr, {193, 7, 167, 8}},
    {1093, Kind::Push, "Save", nullptr, {240, 264, 50, 14}},
    {1095, Kind::Push, "Load", nullptr, {240, 278, 50, 14}},
};

const std::vector<Group> kMainGroups = {
    {"Timing", {7, 83, 153, 104}},          {"Status", {7, 188, 155, 45}},
    {"Mic-E", {166, 94, 184, 40}},          {"Time Slotting", {167, 134, 191, 26}},
    {"SmartBeaconing", {167, 160, 191, 65}}, {"Power Switch", {167, 226, 191, 24}},
    {"Configure", {7, 254, 113, 41}},       {"Test Tones", {123, 255, 110, 40}},
};

const std::vector<Control> kTelemetryControls = {
    {1093, Kind::Check, "Send Telemetry", nullptr, {70, 14, 66, 10}},
    {1001, Kind::EditDigits, "Definition Rate", nullptr, {67, 44, 25, 14}},
    {1000, Kind::MultiLine, "Definition Text", nullptr, {67, 62, 178, 69}},
    {1, Kind::DefPush, "OK", nullptr, {142, 139, 50, 14}},
    {2, Kind::Push, "Cancel", nullptr, {195, 139, 50, 14}},
    {1002, Kind::DropList, "Channels", nullptr, {68, 27, 35, 153}},
};

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

LONG style_of(HWND window) { return static_cast<LONG>(GetWindowLongPtrA(window, GWL_STYLE)); }

// A control's rectangle in the dialog's client coordinates.
RECT placed(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Where the dialog manager puts a rectangle given in dialog units.
struct Units {
    int x;
    int y;
};

Units base_units(HWND dialog) {
    RECT rect{0, 0, 4, 8};
    MapDialogRect(dialog, &rect);
    return {rect.right, rect.bottom};
}

bool within_a_pixel(long a, long b) { return a - b <= 1 && b - a <= 1; }

// Compares position and size, height only when the control keeps it.
void check_rect(HWND dialog, HWND control, const RECT& dlu, bool check_height, const std::string& name) {
    const Units u = base_units(dialog);
    const RECT r = placed(dialog, control);
    const bool ok = within_a_pixel(r.left, MulDiv(dlu.left, u.x, 4)) && within_a_pixel(r.top, MulDiv(dlu.top, u.y, 8)) &&
                    within_a_pixel(r.right - r.left, MulDiv(dlu.right, u.x, 4)) &&
                    (!check_height || within_a_pixel(r.bottom - r.top, MulDiv(dlu.bottom, u.y, 8)));
    check(ok, name + ": rectangle " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                  std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + " px is not " +
                  std::to_string(dlu.left) + "," + std::to_string(dlu.top) + "," + std::to_string(dlu.right) + "," +
                  std::to_string(dlu.bottom) + " DLU");
}

bool overlaps_vertically(const RECT& a, const RECT& b) { return a.top < b.bottom && b.top < a.bottom; }

// A static with this text, aligned as asked, on the control's row, to its left
// (label) or right (unit).
bool has_static_beside(HWND dialog, HWND control, const char* text, bool left) {
    const RECT c = placed(dialog, control);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_of(child) != "Static" || text_of(child) != text) continue;
        const RECT s = placed(dialog, child);
        const LONG align = style_of(child) & SS_TYPEMASK;
        if (!overlaps_vertically(s, c)) continue;
        if (left && align == SS_RIGHT && s.right <= c.left + 1) return true;
        if (!left && align == SS_LEFT && s.left >= c.right - 1) return true;
    }
    return false;
}

void check_kind(HWND control, Kind kind, const std::string& name) {
    const std::string cls = class_of(control);
    const LONG style = style_of(control);
    const LONG button = style & BS_TYPEMASK;
    const LONG combo = style & 0x3;  // CBS_SIMPLE, CBS_DROPDOWN, CBS_DROPDOWNLIST
    bool ok = false;
    switch (kind) {
        case Kind::Tab: ok = cls == WC_TABCONTROLA && !(style & WS_TABSTOP); break;
        case Kind::Edit: ok = cls == "Edit" && !(style & (ES_UPPERCASE | ES_NUMBER | ES_MULTILINE)); break;
        case Kind::EditUpper: ok = cls == "Edit" && (style & ES_UPPERCASE) && !(style & ES_NUMBER); break;
        case Kind::EditDigits: ok = cls == "Edit" && (style & ES_NUMBER) && !(style & ES_UPPERCASE); break;
        case Kind::MultiLine:
            ok = cls == "Edit" && (style & ES_MULTILINE) && (style & ES_WANTRETURN) && (style & ES_AUTOHSCROLL) &&
                 !(style & (ES_AUTOVSCROLL | WS_VSCROLL));
            break;
        case Kind::Check: ok = cls == "Button" && button == BS_AUTOCHECKBOX; break;
        case Kind::Push: ok = cls == "Button" && button == BS_PUSHBUTTON; break;
        case Kind::DefPush: ok = cls == "Button" && button == BS_DEFPUSHBUTTON; break;
        case Kind::DropList: ok = cls == "ComboBox" && combo == CBS_DROPDOWNLIST && !(style & CBS_SORT); break;
        case Kind::ComboEdit: ok = cls == "ComboBox" && combo == CBS_DROPDOWN && !(style & CBS_SORT); break;
        case Kind::StatusText:
            ok = cls == "Static" && (style & SS_TYPEMASK) == SS_LEFT && !(style & WS_TABSTOP);
            break;
    }
    const bool stop_expected = kind != Kind::Tab && kind != Kind::StatusText;
    check(ok, name + ": class " + cls + ", style " + std::to_string(style) + " is not the kind it should be");
    check(stop_expected == ((style & WS_TABSTOP) != 0), name + ": tab stop " + (stop_expected ? "missing" : "unwanted"));
}

void check_controls(HWND dialog, const std::vector<Control>& controls, const char* dialog_name) {
    std::vector<int> expected_order;
    for (const Control& c : controls) {
        const std::string name = std::string(dialog_name) + " " + std::to_string(c.id);
        const HWND control = GetDlgItem(dialog, c.id);
        check(control != nullptr, name + ": missing");
        if (control == nullptr) continue;
        check_kind(control, c.kind, name);
        const bool keeps_height = c.kind != Kind::DropList && c.kind != Kind::ComboEdit;
        check_rect(dialog, control, c.dlu, keeps_height, name);
        const bool captioned = c.kind == Kind::Check || c.kind == Kind::Push || c.kind == Kind::DefPush;
        if (captioned) {
            check(text_of(control) == c.label, name + ": caption '" + text_of(control) + "', not '" + c.label + "'");
        } else if (c.label != nullptr) {
            check(has_static_beside(dialog, control, c.label, true), name + ": no right-aligned label '" + c.label + "'");
        }
        if (c.unit != nullptr) {
            check(has_static_beside(dialog, control, c.unit, false), name + ": no unit '" + c.unit + "' to its right");
        }
        if (c.kind != Kind::Tab && c.kind != Kind::StatusText) expected_order.push_back(c.id);
        EnableWindow(control, TRUE);
    }
    // Keyboard order, every control enabled.
    std::vector<int> order;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND at = first; at != nullptr && order.size() < 200;) {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(dialog, at, FALSE);
        if (at == first) break;
    }
    check(order == expected_order, std::string(dialog_name) + ": tab order differs from the creation order");
}

void check_groups(HWND dialog, const std::vector<Group>& groups) {
    for (const Group& g : groups) {
        bool found = false;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            if (class_of(child) != "Button" || (style_of(child) & BS_TYPEMASK) != BS_GROUPBOX) continue;
            if (text_of(child) != g.caption) continue;
            found = true;
            check_rect(dialog, child, g.dlu, true, std::string("group box '") + g.caption + "'");
        }
        check(found, std::string("group box '") + g.caption + "' missing");
    }
}

void check_window(HWND dialog, const char* caption, int width, int height, const char* name) {
    check(text_of(dialog) == caption, std::string(name) + ": caption '" + text_of(dialog) + "'");
    const LONG style = style_of(dialog);
    check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU), std::string(name) + ": no caption or system menu");
    check(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), std::string(name) + ": resizable or min/max box");
    check(!(style & WS_VISIBLE), std::string(name) + ": created visible");
    RECT client{};
    GetClientRect(dialog, &client);
    const Units u = base_units(dialog);
    check(within_a_pixel(client.right, MulDiv(width, u.x, 4)) && within_a_pixel(client.bottom, MulDiv(height, u.y, 8)),
          std::string(name) + ": client area is not " + std::to_string(width) + " x " + std::to_string(height) + " DLU");
    LOGFONTA font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    check(handle != nullptr && GetObjectA(handle, sizeof font, &font) == sizeof font &&
              std::string(font.lfFaceName) == "MS Shell Dlg",
          std::string(name) + ": font is not MS Shell Dlg");
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    check(font.lfHeight == -MulDiv(8, dpi, 72), std::string(name) + ": font is not 8 points");
}

INT_PTR CALLBACK plain_procedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND create(int id) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, plain_procedure, 0);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);

    const HWND main_window = create(IDD_MAIN);
    check(main_window != nullptr, "main window: not created");
    if (main_window != nullptr) {
        check_window(main_window, "Quorvale3Config v1.4", 367, 302, "main window");
        check_controls(main_window, kMainControls, "main window");
        check_groups(main_window, kMainGroups);
        DestroyWindow(main_window);
    }
    const HWND telemetry = create(IDD_TELEMETRY);
    check(telemetry != nullptr, "telemetry dialog: not created");
    if (telemetry != nullptr) {
        check_window(telemetry, "Telemetry Settings", 252, 160, "telemetry dialog");
        check_controls(telemetry, kTelemetryControls, "telemetry dialog");
        DestroyWindow(telemetry);
    }
    std::printf("layout: %d checks, %d differences\n", checks, differences);
    return differences == 0 ? 0 : 1;
}
