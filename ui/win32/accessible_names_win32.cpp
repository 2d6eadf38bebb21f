// Dynamic annotation of the accessible name: the documented way to rename a standard control for screen readers.
#include "ui/win32/accessible_names_win32.h"

#include <initguid.h>  // defines the annotation service's GUIDs in this file

#include <objbase.h>
#include <oleacc.h>

#include <string>

#include "files/system_text_win32.h"
#include "ui/control_names.h"

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
    IAccPropServices* service = annotation_service();
    if (service == nullptr) return;
    for (const LayoutControl& control : layout.controls) {
        if (!is_named_control(control)) continue;
        const HWND window = GetDlgItem(dialog, control.id);
        const std::wstring name = wide_text(control_name(layout, control.id));
        if (window == nullptr || name.empty()) continue;
        service->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name.c_str());
    }
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
