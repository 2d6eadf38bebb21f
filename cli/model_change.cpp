// The model comparison before qv3 write sends anything.
#include "cli/model_change.h"

#include "cli/settings_text.h"
#include "model/device_models.h"
#include "model/kept_fields.h"

namespace qv3 {

namespace {

// "model 6 (PL-Zenda v1.4)"
std::string model_label(int model) {
    return "model " + std::to_string(model) + " (" + std::string(device_model_info(model).name) + ")";
}

std::string joined(const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) {
        if (!text.empty()) text += ", ";
        text += key;
    }
    return text;
}

}  // namespace

std::vector<std::string> keys_model_cannot_hold(const ConfigurationSource& source, int tracker_model) {
    // A setting at its default is no loss: a .qv3 file sets every key, and
    // a tracker that does not keep one gives back the default or its own.
    const auto defaults = settings_to_pairs(ConfigRecord{});
    const auto given = settings_to_pairs(source.record);
    const std::vector<SettingsKey> keys = settings_keys();
    std::vector<std::string> lost;
    for (size_t i = 0; i < keys.size() && i < given.size() && i < defaults.size(); ++i) {
        const SettingsKey& key = keys[i];
        if (key.field->kept_by == KeptBy::VersionReply || !source.keys_set.contains(key.key)) continue;
        if (given[i].second == defaults[i].second) continue;
        if (!model_holds_value(tracker_model, source.record, *key.field, key.bank)) lost.push_back(key.key);
    }
    return lost;
}

int check_model_change(const ConfigurationSource& source, std::string_view source_name, int tracker_model,
                       bool allowed, std::ostream& err) {
    // A source for no model in particular goes to whatever model answers.
    if (!model_known(source.for_model) || source.for_model == tracker_model) return -1;
    const std::vector<std::string> lost = keys_model_cannot_hold(source, tracker_model);
    if (lost.empty()) return -1;
    if (allowed) {
        err << "qv3: writing for " << model_label(tracker_model) << " without: " << joined(lost) << "\n";
        return -1;
    }
    err << source_name << " is for " << model_label(source.for_model) << " but the tracker is "
        << model_label(tracker_model) << "; it cannot hold: " << joined(lost)
        << ". Add --model-change to write what it can hold.\n";
    return kExitFailure;
}

}  // namespace qv3
