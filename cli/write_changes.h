// The settings a write changes, as 'qv3 diff' prints them.
#pragma once

#include <string>
#include <vector>

#include "model/config_record.h"

namespace qv3 {

// "key: OLD -> NEW" for every setting whose value differs from before to
// after, in 'qv3 keys' order, values as the settings text writes them.
std::vector<std::string> changed_settings(const ConfigRecord& before, const ConfigRecord& after);

// What a tracker of record.device_model gives back once record is written:
// the record through the model's image and back. False when it does not fit.
bool as_written(ConfigRecord record, ConfigRecord& written, ImageBytes& image);

}  // namespace qv3
