// Printer and reader of the settings text; every value is range-checked before anything is stored.
#include "cli/settings_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

namespace qv3 {

namespace {

enum class Kind { Text, Flag, U8, U16, I32, Symbol, Frequency };

// One per-bank field: its key suffix, how its value is written, and where it lives.
struct BankField {
    const char* name;
    Kind kind;
    PerBank<std::string> ConfigRecord::*text = nullptr;
    PerBank<uint8_t> ConfigRecord::*byte = nullptr;
    PerBank<uint16_t> ConfigRecord::*word = nullptr;
    PerBank<int32_t> ConfigRecord::*integer = nullptr;
    PerBank<char> ConfigRecord::*character = nullptr;
    PerBank<float> ConfigRecord::*real = nullptr;
};

BankField field(const char* name, PerBank<std::string> ConfigRecord::*m) { return {name, Kind::Text, m}; }
BankField field(const char* name, PerBank<uint16_t> ConfigRecord::*m) {
    BankField f{name, Kind::U16};
    f.word = m;
    return f;
}
BankField field(const char* name, PerBank<uint8_t> ConfigRecord::*m, Kind kind = Kind::U8) {
    BankField f{name, kind};
    f.byte = m;
    return f;
}
BankField flag(const char* name, PerBank<uint8_t> ConfigRecord::*m) { return field(name, m, Kind::Flag); }
BankField field(const char* name, PerBank<int32_t> ConfigRecord::*m) {
    BankField f{name, Kind::I32};
    f.integer = m;
    return f;
}
BankField field(const char* name, PerBank<char> ConfigRecord::*m) {
    BankField f{name, Kind::Symbol};
    f.character = m;
    return f;
}
BankField field(const char* name, PerBank<float> ConfigRecord::*m) {
    BankField f{name, Kind::Frequency};
    f.real = m;
    return f;
}

using R = ConfigRecord;

// The per-bank fields in the record's order.
const std::vector<BankField>& bank_fields() {
    static const std::vector<BankField> fields{
        field("callsign", &R::callsign),
        field("path", &R::path),
        field("auto_txd", &R::auto_txd),
        field("manual_txd", &R::manual_txd),
        field("auto_tx_rate", &R::auto_tx_rate),
        field("manual_tx_rate", &R::manual_tx_rate),
        field("quiet_time", &R::quiet_time),
        flag("force_printable", &R::force_printable),
        flag("only_send_valid", &R::only_send_valid),
        flag("time_slot_enable", &R::time_slot_enable),
        flag("smart_beacon_enable", &R::smart_beacon_enable),
        flag("transmit_altitude", &R::transmit_altitude),
        flag("mic_e_enable", &R::mic_e_enable),
        flag("power_switch_enable", &R::power_switch_enable),
        flag("allow_ttl_serial", &R::allow_ttl_serial),
        flag("alternate_digi_paths", &R::alternate_digi_paths),
        flag("invert_cd_in", &R::invert_cd_in),
        flag("no_tx_on_ptt_in", &R::no_tx_on_ptt_in),
        flag("send_nmea", &R::send_nmea),
        flag("send_separate", &R::send_separate),
        flag("no_gt_prefix", &R::no_gt_prefix),
        flag("send_300_baud", &R::send_300_baud),
        flag("serial_out_high", &R::serial_out_high),
        flag("no_startup_packet", &R::no_startup_packet),
        flag("serial_9600_baud", &R::serial_9600_baud),
        flag("tx_twist", &R::tx_twist),
        flag("send_dao", &R::send_dao),
        flag("send_telemetry", &R::send_telemetry),
        field("timestamp_mode", &R::timestamp_mode),
        field("mic_e_message", &R::mic_e_message),
        field("mic_e_path", &R::mic_e_path),
        field("status_every", &R::status_every),
        field("status_text", &R::status_text),
        field("time_slot_offset", &R::time_slot_offset),
        field("slow_speed", &R::slow_speed),
        field("fast_speed", &R::fast_speed),
        field("slow_rate", &R::slow_rate),
        field("fast_rate", &R::fast_rate),
        field("min_turn_angle", &R::min_turn_angle),
        field("turn_slope", &R::turn_slope),
        field("min_turn_time", &R::min_turn_time),
        field("power_switch_time", &R::power_switch_time),
        field("symbol_code", &R::symbol_code),
        field("symbol_table", &R::symbol_table),
        field("frequency_mhz", &R::frequency_mhz),
        field("telemetry_channels", &R::telemetry_channels),
        field("telemetry_def_rate", &R::telemetry_def_rate),
        field("telemetry_text", &R::telemetry_text),
    };
    return fields;
}

constexpr const char* kBankPrefixes[2] = {"primary.", "secondary."};

std::string escape_text(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c >= 0x20 && c <= 0x7E) {
                    out.push_back(ch);
                } else {
                    out += "\\x";
                    out.push_back(hex[c >> 4]);
                    out.push_back(hex[c & 0x0F]);
                }
        }
    }
    return out;
}

// Appended piece by piece: "\"" + a temporary string trips a false -Wrestrict in GCC 12.
std::string quote(std::string_view text) {
    std::string quoted = "\"";
    quoted += escape_text(text);
    quoted += '"';
    return quoted;
}

std::string format_float(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string format_value(const ConfigRecord& r, const BankField& f, int b) {
    switch (f.kind) {
        case Kind::Text: return quote((r.*f.text)[b]);
        case Kind::Flag: return (r.*f.byte)[b] != 0 ? "1" : "0";
        case Kind::U8: return std::to_string((r.*f.byte)[b]);
        case Kind::U16: return std::to_string((r.*f.word)[b]);
        case Kind::I32: return std::to_string((r.*f.integer)[b]);
        case Kind::Symbol: {
            const char c = (r.*f.character)[b];
            return quote(c == '\0' ? std::string_view() : std::string_view(&c, 1));
        }
        case Kind::Frequency: return format_float((r.*f.real)[b]);
    }
    return {};
}

// ---- reading ----

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unquote(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
    const std::string_view body = value.substr(1, value.size() - 2);
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') return std::nullopt;  // an unescaped quote inside the text
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i >= body.size()) return std::nullopt;
        switch (body[i]) {
            case '\\': out.push_back('\\'); break;
            case '"': out.push_back('"'); break;
            case 'r': out.push_back('\r'); break;
            case 'n': out.push_back('\n'); break;
            case 't': out.push_back('\t'); break;
            case 'x': {
                if (i + 2 >= body.size()) return std::nullopt;
                const int high = hex_digit(body[i + 1]);
                const int low = hex_digit(body[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out.push_back(static_cast<char>(high << 4 | low));
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

std::optional<long long> parse_integer(std::string_view value) {
    long long n = 0;
    const auto result = std::from_chars(value.data(), value.data() + value.size(), n);
    if (result.ec != std::errc() || result.ptr != value.data() + value.size()) return std::nullopt;
    return n;
}

std::optional<float> parse_float(std::string_view value) {
    float f = 0;
    const auto result = std::from_chars(value.data(), value.data() + value.size(), f);
    if (result.ec != std::errc() || result.ptr != value.data() + value.size() || !std::isfinite(f)) {
        return std::nullopt;
    }
    return f;
}

// Where a key stores its value: a per-bank field of one bank, or a global.
struct Target {
    const BankField* field = nullptr;
    int bank = 0;
    enum { Bank, Model, Calibration } where = Bank;
};

std::optional<Target> find_key(std::string_view key) {
    if (key == "model") return Target{nullptr, 0, Target::Model};
    if (key == "calibration") return Target{nullptr, 0, Target::Calibration};
    for (int b = 0; b < 2; ++b) {
        const std::string_view prefix = kBankPrefixes[b];
        if (key.substr(0, prefix.size()) != prefix) continue;
        const std::string_view name = key.substr(prefix.size());
        for (const auto& f : bank_fields()) {
            if (name == f.name) return Target{&f, b, Target::Bank};
        }
    }
    return std::nullopt;
}

// Checks an integer against [low, high]; on failure describes the range.
std::string range_error(std::optional<long long> n, long long low, long long high) {
    if (!n) return "malformed number";
    if (*n < low || *n > high) return "out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")";
    return {};
}

// Stores value into the target; returns "" or what is wrong with the value.
std::string store(ConfigRecord& r, const Target& t, std::string_view value) {
    if (t.where == Target::Model) {
        const auto n = parse_integer(value);
        if (auto e = range_error(n, kModelNone, kModelMax); !e.empty()) return e;
        r.device_model = static_cast<int32_t>(*n);
        return {};
    }
    constexpr long long kI32Min = std::numeric_limits<int32_t>::min();
    constexpr long long kI32Max = std::numeric_limits<int32_t>::max();
    if (t.where == Target::Calibration) {
        const auto n = parse_integer(value);
        if (auto e = range_error(n, kI32Min, kI32Max); !e.empty()) return e;
        r.calibration = static_cast<int32_t>(*n);
        return {};
    }
    const BankField& f = *t.field;
    const int b = t.bank;
    switch (f.kind) {
        case Kind::Text: {
            auto text = unquote(value);
            if (!text) return "malformed text (expected a double-quoted text)";
            (r.*f.text)[b] = std::move(*text);
            return {};
        }
        case Kind::Symbol: {
            auto text = unquote(value);
            if (!text || text->size() > 1) return "expected a double-quoted text of at most one character";
            (r.*f.character)[b] = text->empty() ? '\0' : (*text)[0];
            return {};
        }
        case Kind::Frequency: {
            const auto f32 = parse_float(value);
            if (!f32) return "malformed number (expected a finite decimal number)";
            (r.*f.real)[b] = *f32;
            return {};
        }
        case Kind::Flag:
        case Kind::U8: {
            const auto n = parse_integer(value);
            if (auto e = range_error(n, 0, f.kind == Kind::Flag ? 1 : 255); !e.empty()) return e;
            (r.*f.byte)[b] = static_cast<uint8_t>(*n);
            return {};
        }
        case Kind::U16: {
            const auto n = parse_integer(value);
            if (auto e = range_error(n, 0, 65535); !e.empty()) return e;
            (r.*f.word)[b] = static_cast<uint16_t>(*n);
            return {};
        }
        case Kind::I32: {
            const auto n = parse_integer(value);
            if (auto e = range_error(n, kI32Min, kI32Max); !e.empty()) return e;
            (r.*f.integer)[b] = static_cast<int32_t>(*n);
            return {};
        }
    }
    return "unsupported field";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> settings_to_pairs(const ConfigRecord& record) {
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.emplace_back("model", std::to_string(record.device_model));
    pairs.emplace_back("calibration", std::to_string(record.calibration));
    for (int b = 0; b < 2; ++b) {
        for (const auto& f : bank_fields()) {
            pairs.emplace_back(std::string(kBankPrefixes[b]) + f.name, format_value(record, f, b));
        }
    }
    return pairs;
}

std::string settings_to_text(const ConfigRecord& record) {
    std::string text;
    for (const auto& [key, value] : settings_to_pairs(record)) text += key + " = " + value + "\n";
    return text;
}

std::string parse_settings_text(std::string_view text, ConfigRecord& record) {
    size_t keys_set = 0;
    return parse_settings_text(text, record, keys_set);
}

std::string parse_settings_text(std::string_view text, ConfigRecord& record, size_t& keys_set) {
    keys_set = 0;
    if (text.size() > kMaxSettingsTextBytes) return "settings text too large";
    // Editors on Windows often begin a UTF-8 file with a byte-order mark.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    ConfigRecord parsed = record;
    std::map<std::string, int, std::less<>> seen;
    int line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;

        const std::string where = "line " + std::to_string(line_number) + ": ";
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return where + "expected 'key = value'";
        const std::string_view key = trim(line.substr(0, equals));
        const std::string_view value = trim(line.substr(equals + 1));
        const auto target = find_key(key);
        // A key with an invisible byte in it looks like a good one; show the byte.
        if (!target) return where + "unknown key '" + escape_text(key) + "'";
        if (const auto previous = seen.find(key); previous != seen.end()) {
            return where + "duplicate key '" + escape_text(key) + "' (first on line " +
                   std::to_string(previous->second) + ")";
        }
        seen.emplace(std::string(key), line_number);
        if (auto error = store(parsed, *target, value); !error.empty()) {
            return where + std::string(key) + ": " + error;
        }
    }
    record = std::move(parsed);
    keys_set = seen.size();
    return {};
}

}  // namespace qv3
