// What a write changes: the settings text of both sides, line by line.
#include "cli/write_changes.h"

#include <algorithm>

#include "cli/settings_text.h"
#include "model/device_models.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"

namespace qv3 {

std::vector<std::string> changed_settings(const ConfigRecord& before, const ConfigRecord& after) {
    return changed_settings_for_write(before, after, after, {});
}

std::vector<std::string> changed_settings_for_write(const ConfigRecord& tracker, const ConfigRecord& source,
                                                    const ConfigRecord& written, const std::vector<std::string>& lost) {
    const DeviceModelInfo& model = device_model_info(written.device_model);
    const std::string not_kept = " -> not kept by model " + std::to_string(model.code) + " (" + std::string(model.name) + ")";
    const auto held = settings_to_pairs(tracker);
    const auto wanted = settings_to_pairs(source);
    const auto kept = settings_to_pairs(written);
    std::vector<std::string> lines;
    for (size_t i = 0; i < held.size() && i < wanted.size() && i < kept.size(); ++i) {
        const std::string& key = held[i].first;
        if (std::find(lost.begin(), lost.end(), key) != lost.end()) {
            lines.push_back(key + ": " + wanted[i].second + not_kept);
        } else if (held[i].second != kept[i].second) {
            lines.push_back(key + ": " + held[i].second + " -> " + kept[i].second);
        }
    }
    return lines;
}

bool as_written(ConfigRecord record, ConfigRecord& written, ImageBytes& image) {
    if (encode_image(record, image) == EncodeOutcome::DoesNotFit) return false;
    return decode_model_image(image, record.device_model, written) == DecodeOutcome::Success;
}

}  // namespace qv3
