// The settings two configurations hold differently, one line each, as the windows list them.
//
// Each setting is named as a screen reader names its control ("Primary
// Callsign") and its values are written as the form shows them: texts as
// they are, check boxes "on" or "off", lists by their item.
#pragma once

#include <string>
#include <vector>

#include "model/config_record.h"

namespace qv3 {

// "Primary Callsign: N0CALL-9 → W1ABC-7" for each setting that differs from
// before to after: the settings that exist once, then the primary bank, then
// the secondary, each in the order of the main window and the telemetry dialog.
std::vector<std::string> named_changes(const ConfigRecord& before, const ConfigRecord& after);

// What a write changes on a tracker of written.device_model: written is what
// the tracker will give back of form (the form through the model's image).
// A setting the tracker would give back other than the form sets it is lost:
// "Primary Frequency: 145.825 → not kept by model 1 (Quorvale3 v1.1)"; a
// setting left at its default is no loss, whatever the model keeps of it.
// Any other setting that differs from what the tracker holds now is a change,
// as named_changes writes it.
std::vector<std::string> write_change_lines(const ConfigRecord& tracker, const ConfigRecord& form,
                                            const ConfigRecord& written);

}  // namespace qv3
