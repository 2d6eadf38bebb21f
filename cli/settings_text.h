// The settings text: one "key = value" a line, the record's own field names,
// so that operators can keep configurations in version control and diff them.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/config_fields.h"
#include "model/config_record.h"

namespace qv3 {

// A key of the settings text and the field it names (bank: which element of a
// per-bank field; 0 for one that exists once).
struct SettingsKey {
    std::string key;
    const ConfigField* field;
    std::size_t bank;
};

// Every key settings_to_text prints, in its order: the values that exist once,
// then primary.* and secondary.* for each per-bank field.
std::vector<SettingsKey> settings_keys();

// Every key in its fixed order: model, calibration, then primary.* and secondary.*
// for each per-bank field. The result is UTF-8: a text's bytes 0x20 to 0x7E and
// 0xA0 to 0xFF are their Latin-1 characters (model/tracker_text.h), the
// control codes 0x00 to 0x1F and 0x7F to 0x9F escapes, so that it reads back
// to the same bytes.
std::string settings_to_text(const ConfigRecord& record);

// settings_to_text with each field's help as a "# ..." comment line above its
// key; it reads back to the same record.
std::string settings_to_explained_text(const ConfigRecord& record);

// The same content as (key, value text) pairs, in the printed order.
std::vector<std::pair<std::string, std::string>> settings_to_pairs(const ConfigRecord& record);

// Reads a settings text file's bytes onto record: keys in any order, a missing
// key keeps the value record already holds. The file is UTF-8 (with or without
// its byte-order mark) or UTF-16 with its mark; other bytes are Latin-1
// (cli/text_file_encoding.h). A text's characters become the tracker's bytes,
// and one the tracker cannot store fails its line; \xHH gives any byte.
// Returns "" on success; otherwise a message that names the line (a key shown
// with its invisible bytes escaped), and record is left as it was.
std::string parse_settings_text(std::string_view file_bytes, ConfigRecord& record);
// The same, also telling the keys the text set (none for a text of comments only).
std::string parse_settings_text(std::string_view file_bytes, ConfigRecord& record,
                                std::set<std::string, std::less<>>& keys_set);

// Largest settings text the readers accept.
constexpr size_t kMaxSettingsTextBytes = 1 << 20;

}  // namespace qv3
