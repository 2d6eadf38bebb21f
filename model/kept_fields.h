// Which settings a model's image keeps, and whether it keeps a given value.
//
// A write to a tracker of another model than a configuration was made for
// asks this before anything is sent (qv3 write), so that what the tracker's
// model cannot hold is named instead of dropped without a word.
#pragma once

#include <cstddef>

#include "model/config_fields.h"
#include "model/config_record.h"
#include "model/device_models.h"

namespace qv3 {

// Whether the model's image has a place for the fields kept by that column.
// False for KeptBy::VersionReply: the model code lies in no image.
bool model_keeps(const DeviceModelInfo& model, KeptBy kept_by);

// Whether a tracker of the model holds the value record gives the field in
// bank, as record sets it: false when its image has no place for the field,
// and when the model forces the field to another value (apply_model_rules).
bool model_holds_value(int model, const ConfigRecord& record, const ConfigField& field, std::size_t bank);

}  // namespace qv3
