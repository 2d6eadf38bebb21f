// The question between the read before a write and the image going out: what the tracker holds is kept, the changes listed, the user asked.
#pragma once

#include "ui/app.h"

namespace qv3 {

// Called by the timer while the protocol waits in ConfirmingWrite (once: a
// timer tick under the question finds it under way). In order:
// - a tracker whose image could not be read: "The tracker's current
//   configuration could not be read (REASON). Write without keeping it?";
// - the image read is kept as a "before write" entry of the history; when it
//   cannot be, the question "Could not keep the tracker's configuration
//   before writing (PATH: REASON). Write without keeping it?";
// - a tracker that already holds the image ends it: "The tracker already
//   holds this configuration";
// - the changes (ui/change_list.h) under the caption "Quorvale3 Write".
// Cancel to any of them sends nothing; the status line says why. OK to each
// sends the image. A request to quit meanwhile sends nothing either.
void review_write(App& app);

}  // namespace qv3
