// The qv3 history verb: the images kept from trackers, newest first, and where they are.
#include <string_view>

#include "cli/command_line.h"
#include "cli/qv3_cli.h"
#include "files/history.h"

namespace qv3 {

namespace {

constexpr std::string_view kHistoryHelp =
    "usage: qv3 history [--path]\n"
    "Lists the configurations kept from trackers, newest first: number, time,\n"
    "model, callsign, kind (read, before write, written) and file. Each file is\n"
    "a .qv3 file: 'qv3 show', 'qv3 diff' and 'qv3 write' take it as it is.\n"
    "--path: prints the folder that holds them.\n";

}  // namespace

int verb_history(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::string& folder) {
    const Arguments parsed = parse_arguments(args, {}, {"--path"});
    if (const int code = usage_outcome(parsed, 0, kHistoryHelp, out, err); code >= 0) return code;
    if (folder.empty()) {
        err << "qv3: the system names no folder for the history (no HOME or LOCALAPPDATA)\n";
        return kExitFailure;
    }
    if (parsed.switches.count("--path") > 0) {
        out << terminal_safe(folder) << "\n";
        return kExitOk;
    }
    const std::vector<HistoryEntry> entries = list_history(folder);
    if (entries.empty()) err << "qv3: no configuration kept yet in " << terminal_safe(folder) << "\n";
    int number = 0;
    for (const HistoryEntry& entry : entries) {
        out << ++number << "  " << history_time_text(entry.time) << "  model " << entry.model << "  "
            << terminal_safe(entry.callsign) << "  " << history_kind_text(entry.kind) << "  "
            << terminal_safe(history_entry_path(folder, entry)) << "\n";
    }
    return kExitOk;
}

}  // namespace qv3
