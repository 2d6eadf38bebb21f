// Builds a Windows dialog template in memory from a layout: the dialog header, its font and one item per control.
//
// The template is what the resource compiler makes of the same dialog written
// in a .rc file: the dialog's styles and font, the predefined classes by
// ordinal, the tab control by class name and each kind's styles as below, so
// the dialog manager creates exactly the window the .rc described. The
// dialogs are made by the wide functions, so that their windows hold any
// character typed into them.
#include "ui/win32/dialog_builder_win32.h"

#include <commctrl.h>

#include <string_view>

#include "ui/win32/control_text_win32.h"

namespace qv3 {

namespace {

// Ordinals of the predefined window classes in a dialog template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

// Every dialog: a caption with the system menu and close box, a fixed frame,
// its own font, created hidden (the program shows it once it is placed).
constexpr DWORD kDialogStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr BYTE kFontCharset = DEFAULT_CHARSET;

// Appends little-endian words and texts, keeping item starts DWORD-aligned.
struct TemplateWriter {
    std::vector<std::uint8_t> bytes;

    void word(unsigned value) {
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
    void dword(DWORD value) {
        word(value & 0xFFFF);
        word(value >> 16);
    }
    void byte(std::uint8_t value) { bytes.push_back(value); }
    void text(std::string_view value) {
        for (const wchar_t c : wide_text(value)) word(static_cast<unsigned>(c));
        word(0);
    }
    void ordinal(WORD value) {
        word(0xFFFF);
        word(value);
    }
    void align() {
        while (bytes.size() % 4 != 0) bytes.push_back(0);
    }
};

void add_item(TemplateWriter& out, const LayoutControl& control) {
    out.align();
    out.dword(0);  // help id
    out.dword(0);  // extended style
    out.dword(control_style(control));
    out.word(static_cast<WORD>(control.rect.x));
    out.word(static_cast<WORD>(control.rect.y));
    out.word(static_cast<WORD>(control.rect.width));
    out.word(static_cast<WORD>(control.rect.height));
    out.dword(static_cast<DWORD>(control.id));  // kNoControlId becomes 0xFFFFFFFF, as the resource compiler writes -1
    switch (control.kind) {
        case ControlKind::Tabs: out.text("SysTabControl32"); break;
        case ControlKind::Label:
        case ControlKind::Unit:
        case ControlKind::StatusText: out.ordinal(kStaticClass); break;
        case ControlKind::Edit: out.ordinal(kEditClass); break;
        case ControlKind::DropList:
        case ControlKind::ComboEdit: out.ordinal(kComboBoxClass); break;
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::Button: out.ordinal(kButtonClass); break;
    }
    out.text(control.text);
    out.word(0);  // no creation data
}

}  // namespace

DWORD control_style(const LayoutControl& control) {
    const DWORD base = WS_CHILD | WS_VISIBLE;
    const unsigned rules = control.rules;
    switch (control.kind) {
        // The row of tabs is a tab stop, on which the arrow keys switch banks.
        case ControlKind::Tabs: return base | WS_CLIPSIBLINGS | WS_TABSTOP;
        case ControlKind::Label: return base | WS_GROUP | SS_RIGHT;
        case ControlKind::Unit: return base | WS_GROUP | SS_LEFT;
        case ControlKind::StatusText: return base | SS_LEFT | SS_NOPREFIX;
        case ControlKind::GroupBox: return base | BS_GROUPBOX;
        case ControlKind::Edit: {
            // No ES_UPPERCASE: its capitals of ß, ÿ and µ are no Latin-1
            // characters. The program keeps the upper-case rule itself
            // (ui/win32/input_rules_win32.h).
            DWORD style = base | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
            if (rules & kRuleDigitsOnly) style |= ES_NUMBER;
            if (rules & kRuleMultiLine) style |= ES_MULTILINE | ES_WANTRETURN;
            if (rules & kRuleScrolls) style |= ES_AUTOVSCROLL | WS_VSCROLL;
            return style;
        }
        case ControlKind::CheckBox: return base | WS_TABSTOP | BS_AUTOCHECKBOX;
        case ControlKind::Button:
            return base | WS_TABSTOP | ((rules & kRuleDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::DropList: return base | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST;
        case ControlKind::ComboEdit: return base | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    }
    return base;
}

std::vector<std::uint8_t> dialog_template(const DialogLayout& layout) {
    TemplateWriter out;
    out.word(1);       // DLGTEMPLATEEX version
    out.word(0xFFFF);  // DLGTEMPLATEEX signature
    out.dword(0);      // help id
    out.dword(0);      // extended style
    out.dword(kDialogStyle);
    out.word(static_cast<WORD>(layout.controls.size()));
    out.word(0);  // x and y: the program centres the dialog itself
    out.word(0);
    out.word(static_cast<WORD>(layout.width));
    out.word(static_cast<WORD>(layout.height));
    out.word(0);  // no menu
    out.word(0);  // the standard dialog class
    out.text(layout.caption);
    out.word(static_cast<WORD>(layout.font_points));
    out.word(0);  // weight: the face's normal weight
    out.byte(0);  // not italic
    out.byte(kFontCharset);
    out.text(layout.font_face);
    for (const LayoutControl& control : layout.controls) add_item(out, control);
    return out.bytes;
}

HWND create_dialog(const DialogLayout& layout, HWND owner, DLGPROC procedure, LPARAM parameter) {
    const std::vector<std::uint8_t> bytes = dialog_template(layout);
    // The dialog manager copies what it needs while creating the dialog.
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner,
                                      procedure, parameter);
}

INT_PTR run_modal_dialog(const DialogLayout& layout, HWND owner, DLGPROC procedure, LPARAM parameter) {
    const std::vector<std::uint8_t> bytes = dialog_template(layout);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), owner,
                                   procedure, parameter);
}

}  // namespace qv3
