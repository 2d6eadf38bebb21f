// Printer and reader of the settings text; every value is range-checked before anything is stored.
#include "cli/settings_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <type_traits>

#include "cli/text_file_encoding.h"
#include "model/config_fields.h"
#include "model/number_text.h"
#include "model/tracker_text.h"
#include "model/utf8.h"

namespace qv3 {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void append_hex_escape(std::string& out, unsigned char c) {
    out += "\\x";
    out.push_back(kHexDigits[c >> 4]);
    out.push_back(kHexDigits[c & 0x0F]);
}

// Bytes of the settings text itself (a key in a message) with everything but
// printable ASCII escaped, so that an invisible character shows.
std::string escape_bytes(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c <= 0x7E) {
            out.push_back(ch);
        } else {
            append_hex_escape(out, c);
        }
    }
    return out;
}

// The tracker's bytes as the inside of a quoted value: printable characters
// (0x20 to 0x7E, 0xA0 to 0xFF) as themselves in UTF-8, the control codes of
// both halves (0x00 to 0x1F, 0x7F to 0x9F) as escapes. The result is UTF-8
// whatever the bytes, so it reads back to the same bytes.
std::string escape_text(std::string_view text) {
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
                if ((c >= 0x20 && c <= 0x7E) || c >= 0xA0) {
                    append_utf8(out, c);
                } else {
                    append_hex_escape(out, c);
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

std::string format_float(float value) { return shortest_float_text(value); }

std::string format_value(const ConfigRecord& r, const ConfigField& f, std::size_t b) {
    return visit_field_value(r, f, b, [&f](const auto& value) -> std::string {
        using T = std::remove_cvref_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            return quote(value);
        } else if constexpr (std::is_same_v<T, char>) {
            return quote(value == '\0' ? std::string_view() : std::string_view(&value, 1));
        } else if constexpr (std::is_same_v<T, float>) {
            return format_float(value);
        } else {
            if (f.kind == FieldKind::Flag) return value != 0 ? "1" : "0";
            return std::to_string(value);
        }
    });
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

// The tracker's bytes a double-quoted value stands for: each character its
// Latin-1 byte, each escape the byte it names. nullopt for a malformed value
// and for a character the tracker cannot store; refusal then says which.
std::optional<std::string> unquote(std::string_view value, std::string& refusal) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return std::nullopt;
    const std::string_view body = value.substr(1, value.size() - 2);
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') return std::nullopt;  // an unescaped quote inside the text
        if (c != '\\') {
            // The text has been made well-formed UTF-8 before it is read.
            const Utf8Char character = utf8_char_at(body, i);
            if (character.length == 0) return std::nullopt;
            if (character.code > kLastTrackerCharacter) {
                refusal = cannot_store_text(character.code);
                return std::nullopt;
            }
            out.push_back(static_cast<char>(character.code));
            i += character.length - 1;
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

// A decimal number, optionally after '-', and nothing else. Beyond the float
// range, or so small that only zero is left, it is refused.
std::optional<float> parse_float(std::string_view value) {
    const bool negative = !value.empty() && value.front() == '-';
    if (negative) value.remove_prefix(1);
    const std::optional<ScannedNumber> number = scan_unsigned_number(value, false);
    if (!number || number->length != value.size()) return std::nullopt;
    const float f = nearest_float(negative ? -number->value : number->value);
    if (!std::isfinite(f) || (f == 0.0f && number->value != 0.0)) return std::nullopt;
    return f;
}

// Where a key stores its value: a field, and the bank of a per-bank one.
struct Target {
    const ConfigField* field = nullptr;
    std::size_t bank = 0;
};

std::optional<Target> find_key(std::string_view key) {
    if (const ConfigField* f = find_config_field(key); f != nullptr && f->scope == FieldScope::Once) {
        return Target{f, 0};
    }
    for (std::size_t b = 0; b < 2; ++b) {
        const std::string_view prefix = kBankKeyPrefixes[b];
        if (key.substr(0, prefix.size()) != prefix) continue;
        const ConfigField* f = find_config_field(key.substr(prefix.size()));
        if (f != nullptr && f->scope == FieldScope::PerBank) return Target{f, b};
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
    const ConfigField& f = *t.field;
    return visit_field_value(r, f, t.bank, [&f, value](auto& slot) -> std::string {
        using T = std::remove_cvref_t<decltype(slot)>;
        std::string refusal;
        if constexpr (std::is_same_v<T, std::string>) {
            auto text = unquote(value, refusal);
            if (!refusal.empty()) return refusal;
            if (!text) return "malformed text (expected a double-quoted text)";
            slot = std::move(*text);
        } else if constexpr (std::is_same_v<T, char>) {
            auto text = unquote(value, refusal);
            if (!refusal.empty()) return refusal;
            if (!text || text->size() > 1) return "expected a double-quoted text of at most one character";
            slot = text->empty() ? '\0' : (*text)[0];
        } else if constexpr (std::is_same_v<T, float>) {
            const auto f32 = parse_float(value);
            if (!f32) return "malformed number (expected a finite decimal number)";
            slot = *f32;
        } else {
            const auto n = parse_integer(value);
            if (auto e = range_error(n, f.min, f.max); !e.empty()) return e;
            slot = static_cast<T>(*n);
        }
        return {};
    });
}

}  // namespace

std::vector<SettingsKey> settings_keys() {
    std::vector<SettingsKey> keys;
    for (const ConfigField& f : config_fields()) {
        if (f.scope == FieldScope::Once) keys.push_back({f.key, &f, 0});
    }
    for (std::size_t b = 0; b < 2; ++b) {
        for (const ConfigField& f : config_fields()) {
            if (f.scope == FieldScope::PerBank) keys.push_back({std::string(kBankKeyPrefixes[b]) + f.key, &f, b});
        }
    }
    return keys;
}

std::vector<std::pair<std::string, std::string>> settings_to_pairs(const ConfigRecord& record) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (auto& [key, field, bank] : settings_keys()) {
        pairs.emplace_back(std::move(key), format_value(record, *field, bank));
    }
    return pairs;
}

std::string settings_to_text(const ConfigRecord& record) {
    std::string text;
    for (const auto& [key, value] : settings_to_pairs(record)) text += key + " = " + value + "\n";
    return text;
}

std::string settings_to_explained_text(const ConfigRecord& record) {
    std::string text;
    for (const auto& [key, field, bank] : settings_keys()) {
        text += std::string("# ") + field->help + "\n" + key + " = " + format_value(record, *field, bank) + "\n";
    }
    return text;
}

std::string parse_settings_text(std::string_view file_bytes, ConfigRecord& record) {
    std::set<std::string, std::less<>> keys_set;
    return parse_settings_text(file_bytes, record, keys_set);
}

std::string parse_settings_text(std::string_view file_bytes, ConfigRecord& record,
                                std::set<std::string, std::less<>>& keys_set) {
    keys_set.clear();
    if (file_bytes.size() > kMaxSettingsTextBytes) return "settings text too large";
    // Editors save UTF-8 with or without a byte-order mark, UTF-16, or older
    // files the tracker's bytes themselves: all of them are read as UTF-8.
    const std::string utf8 = text_file_as_utf8(file_bytes);
    std::string_view text = utf8;
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
        if (!target) return where + "unknown key '" + escape_bytes(key) + "'";
        if (const auto previous = seen.find(key); previous != seen.end()) {
            return where + "duplicate key '" + escape_bytes(key) + "' (first on line " +
                   std::to_string(previous->second) + ")";
        }
        seen.emplace(std::string(key), line_number);
        if (auto error = store(parsed, *target, value); !error.empty()) {
            return where + std::string(key) + ": " + error;
        }
    }
    record = std::move(parsed);
    for (const auto& entry : seen) keys_set.insert(entry.first);
    return {};
}

}  // namespace qv3
