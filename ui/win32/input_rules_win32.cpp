// Capitals as an edit's text changes, by the shared rule, where ES_UPPERCASE would make characters the tracker lacks.
#include "ui/win32/input_rules_win32.h"

#include <string>

#include "ui/typed_capitals.h"
#include "ui/win32/control_text_win32.h"

namespace qv3 {

void keep_input_rules(HWND dialog, const DialogLayout& layout, int id) {
    bool upper_case = false;
    for (const LayoutControl& control : layout.controls) {
        if (control.id == id && control.kind == ControlKind::Edit) upper_case = (control.rules & kRuleUpperCase) != 0;
    }
    const HWND edit = GetDlgItem(dialog, id);
    if (!upper_case || edit == nullptr) return;
    const std::string text = window_text_utf8(edit);
    const std::string capitals = typed_capitals(text);
    if (capitals == text) return;
    // Each character keeps its length in UTF-16, so the caret's place stays.
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // This sends EN_CHANGE again, and finds the text in capitals then.
    set_window_text_utf8(edit, capitals);
    SendMessageW(edit, EM_SETSEL, start, end);
}

}  // namespace qv3
