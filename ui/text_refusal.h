// Refusing a form that holds a character the tracker cannot store, before anything is saved or sent.
#pragma once

#include "ui/dialog_layout.h"
#include "ui/form_access.h"

namespace qv3 {

// The caption of the notice.
constexpr const char* kTextRefusedCaption = "Quorvale3Config";

// When a bound text control of the dialog holds a character the tracker
// cannot store (unstorable_text): a notice says so, "Status Text: the tracker
// cannot store the character 'Ω' (U+03A9).", that control takes the focus,
// and the answer is true. Otherwise false, and nothing happens.
bool refuse_unstorable_text(WindowHandle window, const DialogLayout& layout);

}  // namespace qv3
