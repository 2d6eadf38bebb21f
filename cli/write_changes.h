// The settings a write changes, as 'qv3 diff' prints them.
#pragma once

#include <string>
#include <vector>

#include "model/config_record.h"

namespace qv3 {

// "key: OLD -> NEW" for every setting whose value differs from before to
// after, in 'qv3 keys' order, values as the settings text writes them.
std::vector<std::string> changed_settings(const ConfigRecord& before, const ConfigRecord& after);

// The lines of a write to a tracker holding `tracker`: each key of lost (as
// keys_model_cannot_hold names them, cli/model_change.h) said as
// "key: VALUE -> not kept by model N (NAME)" with source's value, then every
// other key whose value changes from tracker to written, as changed_settings
// says it; in 'qv3 keys' order.
std::vector<std::string> changed_settings_for_write(const ConfigRecord& tracker, const ConfigRecord& source,
                                                    const ConfigRecord& written, const std::vector<std::string>& lost);

// What a tracker of record.device_model gives back once record is written:
// the record through the model's image and back. False when it does not fit.
bool as_written(ConfigRecord record, ConfigRecord& written, ImageBytes& image);

}  // namespace qv3
