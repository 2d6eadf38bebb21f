// The table of the record's fields: settings keys, kinds, ranges, units and one-line help.
#include "model/config_fields.h"
#include "model/image_flags.h"

#include <array>
#include <limits>

namespace qv3 {

namespace {

using R = ConfigRecord;

constexpr long long kI32Min = std::numeric_limits<int32_t>::min();
constexpr long long kI32Max = std::numeric_limits<int32_t>::max();

// Row helpers: the kind and range follow from the member's type.
constexpr ConfigField once(const char* key, int32_t R::*member, long long min, long long max, const char* unit,
                           const char* help) {
    return {key, FieldKind::I32, FieldScope::Once, member, min, max, unit, help};
}
constexpr ConfigField bank(const char* key, PerBank<std::string> R::*member, const char* help) {
    return {key, FieldKind::Text, FieldScope::PerBank, member, 0, 0, "", help};
}
constexpr ConfigField bank(const char* key, PerBank<uint8_t> R::*member, const char* unit, const char* help) {
    return {key, FieldKind::U8, FieldScope::PerBank, member, 0, 255, unit, help};
}
constexpr ConfigField bank(const char* key, PerBank<uint16_t> R::*member, const char* unit, const char* help) {
    return {key, FieldKind::U16, FieldScope::PerBank, member, 0, 65535, unit, help};
}
constexpr ConfigField bank(const char* key, PerBank<int32_t> R::*member, const char* unit, const char* help) {
    return {key, FieldKind::I32, FieldScope::PerBank, member, kI32Min, kI32Max, unit, help};
}
constexpr ConfigField bank(const char* key, PerBank<char> R::*member, const char* help) {
    return {key, FieldKind::Char, FieldScope::PerBank, member, 0, 0, "", help};
}
constexpr ConfigField bank(const char* key, PerBank<float> R::*member, const char* unit, const char* help) {
    return {key, FieldKind::Float, FieldScope::PerBank, member, 0, 0, unit, help};
}
// The column that keeps an image flag, in the field table's terms.
constexpr KeptBy kept_by_column(ModelColumn column) {
    if (column == &DeviceModelInfo::serial_flag_bits) return KeptBy::SerialFlagBits;
    if (column == &DeviceModelInfo::twist_dao_bits) return KeptBy::TwistDaoBits;
    if (column == &DeviceModelInfo::telemetry) return KeptBy::Telemetry;
    return KeptBy::EveryModel;
}

constexpr bool flag_columns_are_known() {
    for (const ImageFlag& flag : kImageFlags) {
        if (flag.kept_by != nullptr && kept_by_column(flag.kept_by) == KeptBy::EveryModel) return false;
    }
    return true;
}
static_assert(flag_columns_are_known(), "every column that keeps an image flag has its KeptBy");

// A flag's row: which models keep it comes from the image's flag table.
constexpr ConfigField flag(const char* key, PerBank<uint8_t> R::*member, const char* help) {
    ConfigField field{key, FieldKind::Flag, FieldScope::PerBank, member, 0, 1, "", help};
    for (const ImageFlag& image_flag : kImageFlags) {
        if (image_flag.member == member) field.kept_by = kept_by_column(image_flag.kept_by);
    }
    return field;
}

// A row that only the models with that column keep.
constexpr ConfigField kept_by(KeptBy column, ConfigField field) {
    field.kept_by = column;
    return field;
}

constexpr std::array kFields{
    kept_by(KeptBy::VersionReply,
            once("model", &R::device_model, kModelNone, kModelMax, "",
                 "Tracker model code from its version reply; 0 when none is known. It decides the image's layout.")),
    once("calibration", &R::calibration, kI32Min, kI32Max, "",
         "Device calibration value, one for both banks; the image keeps its low 8 bits."),

    bank("callsign", &R::callsign,
         "Station callsign, optionally followed by a hyphen and an SSID number (N0CALL-9)."),
    bank("path", &R::path, "Digipeater path, its elements separated by commas (WIDE1-1,WIDE2-1)."),
    bank("auto_txd", &R::auto_txd, "ms",
         "Transmit delay of automatic beacons: time from keying the transmitter to the first data."),
    bank("manual_txd", &R::manual_txd, "ms",
         "Transmit delay of manually sent beacons: time from keying the transmitter to the first data."),
    bank("auto_tx_rate", &R::auto_tx_rate, "s", "Time between automatic beacons while SmartBeaconing is off."),
    bank("manual_tx_rate", &R::manual_tx_rate, "s", "Time between manually started beacons."),
    bank("quiet_time", &R::quiet_time, "ms", "How long the channel must be quiet before the tracker transmits."),
    flag("force_printable", &R::force_printable, "Mic-E: use only printable characters in the position packet."),
    flag("only_send_valid", &R::only_send_valid, "Send positions only while the GPS reports a valid fix."),
    flag("time_slot_enable", &R::time_slot_enable,
         "Time Slotting: send each automatic beacon at its Offset within the Auto TX Rate period."),
    flag("smart_beacon_enable", &R::smart_beacon_enable,
         "SmartBeaconing: the beacon rate follows speed and turns instead of the Auto TX Rate."),
    flag("transmit_altitude", &R::transmit_altitude, "Include the GPS altitude in position beacons."),
    flag("mic_e_enable", &R::mic_e_enable, "Send positions in the compact Mic-E format (excludes Send NMEA)."),
    flag("power_switch_enable", &R::power_switch_enable, "Power Switch: on or off; its time is power_switch_time."),
    flag("allow_ttl_serial", &R::allow_ttl_serial, "Accept TTL-level serial data on the serial port."),
    flag("alternate_digi_paths", &R::alternate_digi_paths, "Alternate between digipeater paths from beacon to beacon."),
    flag("invert_cd_in", &R::invert_cd_in, "Invert the carrier-detect input: the other level means a busy channel."),
    flag("no_tx_on_ptt_in", &R::no_tx_on_ptt_in, "Do not transmit while the PTT input is active."),
    flag("send_nmea", &R::send_nmea, "Send the GPS's NMEA sentences as they are (excludes Mic-E)."),
    flag("send_separate", &R::send_separate, "Send the status text in a packet of its own."),
    flag("no_gt_prefix", &R::no_gt_prefix, "Send the status text without the leading '>'."),
    flag("send_300_baud", &R::send_300_baud, "Transmit at 300 baud instead of 1200; TXD then counts in longer steps."),
    flag("serial_out_high", &R::serial_out_high, "Keep the serial output line high."),
    flag("no_startup_packet", &R::no_startup_packet, "Send no packet when the tracker starts."),
    flag("serial_9600_baud", &R::serial_9600_baud, "Run the serial port at 9600 baud instead of 4800."),
    flag("tx_twist", &R::tx_twist, "Transmit the two audio tones at different levels (twist)."),
    flag("send_dao", &R::send_dao, "Add the DAO extension, which gives the position one more digit of precision."),
    flag("send_telemetry", &R::send_telemetry, "Send telemetry packets."),
    bank("timestamp_mode", &R::timestamp_mode, "",
         "Timestamp in position beacons, as its place in the list: 0 None, 1 HMS, 2 DHM."),
    bank("mic_e_message", &R::mic_e_message, "",
         "Mic-E message, as its place in the list: 0 Off Duty to 7 Emergency!"),
    bank("mic_e_path", &R::mic_e_path, "", "Mic-E path, as its place in the list: 0 Conventional to 15 West + WIDE."),
    bank("status_every", &R::status_every, "beacons", "Send the status text with every Nth beacon."),
    bank("status_text", &R::status_text, "Status text sent with the beacons."),
    bank("time_slot_offset", &R::time_slot_offset, "s", "Time Slotting: where in the Auto TX Rate period to send."),
    bank("slow_speed", &R::slow_speed, "MPH", "SmartBeaconing: at this speed or below, send every Slow Rate."),
    bank("fast_speed", &R::fast_speed, "MPH", "SmartBeaconing: at this speed or above, send every Fast Rate."),
    bank("slow_rate", &R::slow_rate, "s", "SmartBeaconing: time between beacons at Slow Speed."),
    bank("fast_rate", &R::fast_rate, "s", "SmartBeaconing: time between beacons at Fast Speed."),
    bank("min_turn_angle", &R::min_turn_angle, "degrees",
         "SmartBeaconing: the smallest change of heading that sends a beacon in a turn."),
    bank("turn_slope", &R::turn_slope, "", "SmartBeaconing: how much larger the turn angle must be at low speed."),
    bank("min_turn_time", &R::min_turn_time, "s", "SmartBeaconing: the shortest time between two beacons in turns."),
    bank("power_switch_time", &R::power_switch_time, "s", "Power Switch: its time in seconds."),
    bank("symbol_code", &R::symbol_code, "APRS symbol character: with the table, the icon the station shows on maps."),
    bank("symbol_table", &R::symbol_table, "APRS symbol table: '/' primary, '\\' alternate, or an overlay character."),
    kept_by(KeptBy::FrequencyForm,
            bank("frequency_mhz", &R::frequency_mhz, "MHz", "Transmit frequency, on the models that set their own.")),
    kept_by(KeptBy::Telemetry,
            bank("telemetry_channels", &R::telemetry_channels, "", "Number of telemetry channels sent, 1 to 3.")),
    kept_by(KeptBy::Telemetry, bank("telemetry_def_rate", &R::telemetry_def_rate, "",
                                    "Rate at which the telemetry definitions are sent.")),
    kept_by(KeptBy::Telemetry,
            bank("telemetry_text", &R::telemetry_text, "Telemetry definition text; line breaks are kept as CR LF.")),
};

}  // namespace

std::span<const ConfigField> config_fields() { return kFields; }

const ConfigField* find_config_field(std::string_view key) {
    for (const ConfigField& field : kFields) {
        if (key == field.key) return &field;
    }
    return nullptr;
}

const char* field_kind_name(FieldKind kind) {
    switch (kind) {
        case FieldKind::Text: return "text";
        case FieldKind::Flag: return "flag";
        case FieldKind::U8: return "u8";
        case FieldKind::U16: return "u16";
        case FieldKind::I32: return "i32";
        case FieldKind::Char: return "char";
        case FieldKind::Float: return "float";
    }
    return "";
}

std::string field_range_text(const ConfigField& field) {
    switch (field.kind) {
        case FieldKind::Text: return "any text";
        case FieldKind::Char: return "0 or 1 character";
        case FieldKind::Float: return "finite decimal";
        default: return std::to_string(field.min) + " to " + std::to_string(field.max);
    }
}

}  // namespace qv3
