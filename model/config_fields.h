// Every field of the configuration record once: its settings key, where it lives, its kind, range, unit and help.
//
// The settings text reader and writer, the form bindings of both dialogs, the
// tooltips and `qv3 keys` all walk this one table. Adding a setting: see
// docs/ARCHITECTURE.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "model/config_record.h"

namespace qv3 {

// How a field's value is held and written in the settings text.
enum class FieldKind {
    Text,   // a byte string, written double-quoted with escapes
    Flag,   // 0 or 1 in an unsigned byte
    U8,     // unsigned 8-bit number
    U16,    // unsigned 16-bit number
    I32,    // signed 32-bit number
    Char,   // one character, or none (NUL), written double-quoted
    Float,  // single-precision decimal, finite
};

// Whether a field exists once or once per bank.
enum class FieldScope { Once, PerBank };

// Which models' images keep a field: the column of the model table
// (device_models.h) that decides it. The decoder and encoder branch on the
// same columns; model_keeps (model/kept_fields.h) reads this one.
enum class KeptBy {
    EveryModel,      // every model's image has a place for it
    VersionReply,    // the model code: the tracker's version reply tells it, no image holds it
    FrequencyForm,   // models whose frequency form is not NotStored
    SerialFlagBits,  // models with flag byte 38 bits 2 to 5
    TwistDaoBits,    // models with flag byte 38 bits 6 and 7
    Telemetry,       // models with the telemetry items
};

// Where the field lives in ConfigRecord: a value that exists once, or a per-bank array.
using FieldMember =
    std::variant<int32_t ConfigRecord::*, PerBank<std::string> ConfigRecord::*, PerBank<uint8_t> ConfigRecord::*,
                 PerBank<uint16_t> ConfigRecord::*, PerBank<int32_t> ConfigRecord::*, PerBank<char> ConfigRecord::*,
                 PerBank<float> ConfigRecord::*>;

struct ConfigField {
    // The settings-text key; per-bank fields are written "primary." or
    // "secondary." followed by it. The layout tables bind controls by it.
    const char* key;
    FieldKind kind;
    FieldScope scope;
    FieldMember member;
    // The values the settings text accepts (integer kinds and flags only).
    long long min = 0;
    long long max = 0;
    // Unit for people ("ms", "s", "MPH"...); empty when the value has none.
    const char* unit = "";
    // One line telling what the setting does.
    const char* help = "";
    KeptBy kept_by = KeptBy::EveryModel;
};

// The settings text's key prefixes of the two banks, indexed by Bank.
constexpr const char* kBankKeyPrefixes[2] = {"primary.", "secondary."};

// Every field in the settings text's order: the values that exist once, then
// the per-bank fields in the record's order.
std::span<const ConfigField> config_fields();

// The field with that key (without bank prefix); nullptr when none has it.
const ConfigField* find_config_field(std::string_view key);

// "text", "flag", "u8", "u16", "i32", "char" or "float".
const char* field_kind_name(FieldKind kind);

// The values the settings text accepts, for people: "0 to 255", "any text"...
std::string field_range_text(const ConfigField& field);

// Calls visit with a reference to the field's value in record: the value
// itself for a field that exists once, element bank of a per-bank field.
// Record is ConfigRecord or const ConfigRecord.
template <typename Record, typename Visitor>
decltype(auto) visit_field_value(Record& record, const ConfigField& field, std::size_t bank, Visitor&& visit) {
    return std::visit(
        [&](auto member) -> decltype(auto) {
            auto& slot = record.*member;
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(slot)>, int32_t>) {
                return visit(slot);
            } else {
                return visit(slot[bank]);
            }
        },
        field.member);
}

}  // namespace qv3
