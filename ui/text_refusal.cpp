// The notice and the focus that refuse a character the tracker cannot store.
#include "ui/text_refusal.h"

#include <optional>
#include <string>

#include "ui/control_names.h"
#include "ui/field_binding.h"
#include "ui/host_services.h"

namespace qv3 {

bool refuse_unstorable_text(WindowHandle window, const DialogLayout& layout) {
    const std::optional<UnstorableText> found = unstorable_text(window, layout);
    if (!found) return false;
    show_notice(window, kTextRefusedCaption, std::string(control_name(layout, found->id)) + ": " + found->problem + ".");
    set_focus(window, found->id);
    return true;
}

}  // namespace qv3
