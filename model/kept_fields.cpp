// The model table's columns read per field: what a model's image keeps.
#include "model/kept_fields.h"

#include <type_traits>

#include "model/image_encoder.h"

namespace qv3 {

bool model_keeps(const DeviceModelInfo& model, KeptBy kept_by) {
    switch (kept_by) {
        case KeptBy::EveryModel: return true;
        case KeptBy::VersionReply: return false;
        case KeptBy::FrequencyForm: return model.frequency != FrequencyForm::NotStored;
        case KeptBy::SerialFlagBits: return model.serial_flag_bits;
        case KeptBy::TwistDaoBits: return model.twist_dao_bits;
        case KeptBy::Telemetry: return model.telemetry;
    }
    return false;
}

bool model_holds_value(int model, const ConfigRecord& record, const ConfigField& field, std::size_t bank) {
    if (!model_keeps(device_model_info(model), field.kept_by)) return false;
    // The encoder's own rules say which values the model overrides.
    ConfigRecord forced = record;
    forced.device_model = model;
    apply_model_rules(forced);
    return visit_field_value(record, field, bank, [&](const auto& given) {
        return visit_field_value(forced, field, bank, [&given](const auto& kept) {
            if constexpr (std::is_same_v<decltype(given), decltype(kept)>) {
                return given == kept;
            } else {
                return false;  // never: both records hold the field's own type
            }
        });
    });
}

}  // namespace qv3
