// The history folder: entry names, the list newest first, and a new entry kept as Save keeps a file.
#include "files/history.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <tuple>

#include "files/bounded_read.h"
#include "files/config_file.h"
#include "files/folder.h"
#include "files/replace_file.h"
#include "model/image_decoder.h"

namespace qv3 {

namespace {

constexpr std::string_view kExtension = ".qv3";
constexpr std::string_view kModelWord = " model ";
constexpr std::array kKinds{HistoryKind::Read, HistoryKind::BeforeWrite, HistoryKind::Written};

// Characters no Windows file name holds, and the control characters.
bool unfit_for_file_name(unsigned char c) {
    return c < 0x20 || c == 0x7f || std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string callsign_for_name(std::string_view callsign) {
    std::string out;
    for (const char c : callsign) out += unfit_for_file_name(static_cast<unsigned char>(c)) ? '_' : c;
    // Windows drops a name's trailing dots and spaces; the name goes on after it, so only an empty one needs care.
    return out.empty() ? "_" : out;
}

bool read_number(std::string_view text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// "YYYY-MM-DD HH-MM-SS", digits where digits belong.
bool parse_time(std::string_view text, LocalTime& time) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != '-' ||
        text[16] != '-') {
        return false;
    }
    return read_number(text.substr(0, 4), time.year) && read_number(text.substr(5, 2), time.month) &&
           read_number(text.substr(8, 2), time.day) && read_number(text.substr(11, 2), time.hour) &&
           read_number(text.substr(14, 2), time.minute) && read_number(text.substr(17, 2), time.second);
}

// VALUE with zeros before it up to WIDTH characters, the sign counted, as printf's "%0*d"
// writes it (the page's module is smaller without printf).
std::string padded(int value, size_t width) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -static_cast<long long>(value) : value);
    if (digits.size() + negative < width) digits.insert(0, width - negative - digits.size(), '0');
    return negative ? '-' + digits : digits;
}

std::string time_text(const LocalTime& time, char time_separator) {
    return padded(time.year, 4) + '-' + padded(time.month, 2) + '-' + padded(time.day, 2) + ' ' +
           padded(time.hour, 2) + time_separator + padded(time.minute, 2) + time_separator + padded(time.second, 2);
}

auto order_key(const HistoryEntry& entry) {
    const LocalTime& t = entry.time;
    return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, entry.same_second);
}

void newest_first(std::vector<HistoryEntry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const HistoryEntry& a, const HistoryEntry& b) { return order_key(a) > order_key(b); });
}

bool same_second(const LocalTime& a, const LocalTime& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second) ==
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second);
}

std::string primary_callsign(int model, const ImageBytes& image) {
    ConfigRecord record;
    decode_model_image(image, model, record);
    return record.callsign[Primary];
}

}  // namespace

const char* history_kind_text(HistoryKind kind) {
    switch (kind) {
        case HistoryKind::Read: return "read";
        case HistoryKind::BeforeWrite: return "before write";
        case HistoryKind::Written: return "written";
    }
    return "read";
}

std::string history_time_text(const LocalTime& time) { return time_text(time, ':'); }

std::string history_entry_path(const std::string& folder, const HistoryEntry& entry) {
    return path_in_folder(folder, entry.file_name);
}

std::string history_entry_name(const LocalTime& time, int same_second, std::string_view callsign, int model,
                               HistoryKind kind) {
    std::string name = time_text(time, '-');
    name += ' ';
    name += callsign_for_name(callsign);
    name += kModelWord;
    name += std::to_string(model);
    name += ' ';
    name += history_kind_text(kind);
    if (same_second > 1) {
        name += ' ';
        name += std::to_string(same_second);
    }
    name += kExtension;
    return name;
}

bool parse_history_entry_name(std::string_view name, HistoryEntry& entry) {
    HistoryEntry parsed;
    parsed.file_name = name;
    if (name.size() < 20 + kExtension.size() || !name.ends_with(kExtension) || name[19] != ' ' ||
        !parse_time(name.substr(0, 19), parsed.time)) {
        return false;
    }
    std::string_view rest = name.substr(20, name.size() - 20 - kExtension.size());
    // The number of a second entry in the same second, after the kind.
    if (const auto space = rest.rfind(' '); space != std::string_view::npos) {
        int number = 0;
        if (read_number(rest.substr(space + 1), number)) {
            if (number < 2) return false;
            parsed.same_second = number;
            rest = rest.substr(0, space);
        }
    }
    const auto kind = std::find_if(kKinds.begin(), kKinds.end(), [&](HistoryKind k) {
        return rest.ends_with(std::string(" ") + history_kind_text(k));
    });
    if (kind == kKinds.end()) return false;
    parsed.kind = *kind;
    rest.remove_suffix(std::string_view(history_kind_text(*kind)).size() + 1);
    const auto model_at = rest.rfind(kModelWord);
    if (model_at == std::string_view::npos || model_at == 0 ||
        !read_number(rest.substr(model_at + kModelWord.size()), parsed.model)) {
        return false;
    }
    parsed.callsign = rest.substr(0, model_at);
    entry = std::move(parsed);
    return true;
}

std::vector<HistoryEntry> list_history(const std::string& folder) {
    std::vector<HistoryEntry> entries;
    for (const std::string& name : regular_file_names(folder)) {
        HistoryEntry entry;
        if (parse_history_entry_name(name, entry)) entries.push_back(std::move(entry));
    }
    newest_first(entries);
    return entries;
}

BoundedRead read_history_entry(const std::string& folder, const HistoryEntry& entry) {
    return read_file_bounded(history_entry_path(folder, entry), kMaxHistoryEntryBytes);
}

HistoryResult keep_in_history(const std::string& folder, const LocalTime& time, int model, const ImageBytes& image,
                              HistoryKind kind, size_t limit) {
    if (std::string reason = make_folders(folder); !reason.empty()) return {HistoryOutcome::Failed, folder, reason};
    const std::string bytes = config_file_bytes(model, image);
    std::vector<HistoryEntry> entries = list_history(folder);
    const auto path_of = [&](const HistoryEntry& entry) { return history_entry_path(folder, entry); };
    if (!entries.empty()) {
        const BoundedRead newest = read_history_entry(folder, entries.front());
        if (newest.outcome == BoundedReadOutcome::Read && newest.bytes == bytes) {
            return {HistoryOutcome::SameAsNewest, path_of(entries.front()), {}};
        }
    }
    int number = 1;
    for (const HistoryEntry& entry : entries) {
        if (same_second(entry.time, time)) number = std::max(number, entry.same_second + 1);
    }
    HistoryEntry added;
    added.file_name = history_entry_name(time, number, primary_callsign(model, image), model, kind);
    added.time = time;
    added.same_second = number;
    const std::string path = path_of(added);
    ReplaceResult kept = replace_file(path, bytes);
    if (kept.outcome != ReplaceOutcome::Written) {
        return {HistoryOutcome::Failed, path, kept.reason.empty() ? replace_outcome_text(kept.outcome) : kept.reason};
    }
    // The oldest go, by the times in their names: a clock set back still keeps the newest entry.
    entries.push_back(std::move(added));
    newest_first(entries);
    for (size_t i = entries.size(); i > limit; --i) remove_file(path_of(entries[i - 1]));
    return {HistoryOutcome::Added, path, {}};
}

}  // namespace qv3
