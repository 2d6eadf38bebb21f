// The tracker's history: every image that came from a tracker, kept as a .qv3 file.
//
// An entry is a .qv3 file as Save writes it, named
//   "YYYY-MM-DD HH-MM-SS CALLSIGN model N KIND.qv3"
// in local time, the callsign as the image holds it (primary bank) with every
// character a Windows file name cannot hold replaced by '_', KIND one of
// "read", "before write" and "written". A second entry in the same second
// ends " 2.qv3", a third " 3.qv3", so that the time and that number order the
// entries. Files in the folder whose names are not entries are never listed
// nor removed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/bounded_read.h"
#include "model/config_record.h"

namespace qv3 {

enum class HistoryKind { Read, BeforeWrite, Written };

// "read", "before write" or "written".
const char* history_kind_text(HistoryKind kind);

struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// The clock's time now, in the system's time zone (history_place_*.cpp).
LocalTime local_time_now();

// The folder that holds the history, UTF-8 (history_place_*.cpp): on Linux
// $XDG_DATA_HOME/quorvale3config/history (default ~/.local/share/...), on
// Windows %LOCALAPPDATA%\Quorvale3Config\history. Empty when the system names
// no home for it.
std::string history_folder();

struct HistoryEntry {
    std::string file_name;  // in the history folder
    LocalTime time;
    int same_second = 1;    // 1, or the number after the kind
    std::string callsign;   // as the name holds it
    int model = 0;
    HistoryKind kind = HistoryKind::Read;
};

// The entry's file name; same_second 1 adds no number.
std::string history_entry_name(const LocalTime& time, int same_second, std::string_view callsign, int model,
                               HistoryKind kind);

// The entry a file name is, or false for any other name.
bool parse_history_entry_name(std::string_view file_name, HistoryEntry& entry);

// The entry's file in folder, with the system's folder separator.
std::string history_entry_path(const std::string& folder, const HistoryEntry& entry);

// "YYYY-MM-DD HH:MM:SS", as a list shows the entry's time.
std::string history_time_text(const LocalTime& time);

// The entries in folder, newest first; none when the folder does not exist.
std::vector<HistoryEntry> list_history(const std::string& folder);

// The entry's file as it lies in folder, read with a cap: an entry is a few
// hundred bytes, so one over kMaxHistoryEntryBytes (bytes then holds one more)
// is no entry of ours.
constexpr size_t kMaxHistoryEntryBytes = 4096;
BoundedRead read_history_entry(const std::string& folder, const HistoryEntry& entry);

constexpr size_t kHistoryLimit = 1000;

enum class HistoryOutcome { Added, SameAsNewest, Failed };

struct HistoryResult {
    HistoryOutcome outcome = HistoryOutcome::Failed;
    std::string path;    // the entry's file (Added), the newest one (SameAsNewest), or what failed
    std::string reason;  // the system's words for a failure
};

// Keeps image (laid out for model) as a new entry of folder, made with its
// parents when missing: written whole, then renamed into place, as Save
// writes. An image whose file would equal the newest entry's is not added
// again. Past limit entries, the oldest are removed.
HistoryResult keep_in_history(const std::string& folder, const LocalTime& time, int model, const ImageBytes& image,
                              HistoryKind kind, size_t limit = kHistoryLimit);

}  // namespace qv3
