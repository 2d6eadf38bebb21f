// Dynamic annotation of the accessible name: the documented way to rename a standard control for screen readers.
#include "ui/win32/accessible_names_win32.h"

#include <initguid.h>  // defines the annotation service's GUIDs in this file

#include <objbase.h>
#include <oleacc.h>

#include <string>

#include "files/system_text_win32.h"
#include "ui/control_names.h"
#include "ui/form_access.h"

namespace qv3 {
namespace {

bool is_named_control(const LayoutControl& control) {
    switch (control.kind) {
        case ControlKind::Edit:
        case ControlKind::CheckBox:
        case ControlKind::DropList:
        case ControlKind::ComboEdit:
            return control.id != kNoControlId;
        default:
            return false;
    }
}

// The annotation service, or null where the system has none.
IAccPropServices* annotation_service() {
    IAccPropServices* service = nullptr;
    const HRESULT created = CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                             reinterpret_cast<void**>(&service));
    return SUCCEEDED(created) ? service : nullptr;
}

}  // namespace

void name_controls(HWND dialog, const DialogLayout& layout) {
    const auto handle = reinterpret_cast<WindowHandle>(dialog);
    for (const LayoutControl& control : layout.controls) {
        // A bank's controls are named for the bank shown by the shared form (name_bank_controls).
        if (is_named_control(control) && control.bank != BankScope::Selected) {
            set_control_name(handle, control.id, control_name(layout, control.id));
        }
    }
}

void set_control_name(WindowHandle window, int id, std::string_view name) {
    const HWND control = GetDlgItem(reinterpret_cast<HWND>(window), id);
    const std::wstring wide = wide_text(name);
    if (control == nullptr || wide.empty()) return;
    IAccPropServices* service = annotation_service();
    if (service == nullptr) return;
    service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, wide.c_str());
    service->Release();
}

void forget_control_names(HWND dialog, const DialogLayout& layout) {
    IAccPropServices* service = annotation_service();
    if (service == nullptr) return;
    MSAAPROPID name_property = PROPID_ACC_NAME;
    for (const LayoutControl& control : layout.controls) {
        if (!is_named_control(control)) continue;
        const HWND window = GetDlgItem(dialog, control.id);
        if (window != nullptr) service->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name_property, 1);
    }
    service->Release();
}

}  // namespace qv3
