// The history dialog's list and buttons over the history folder, the form and the record.
#include "ui/history_dialog.h"

#include <optional>
#include <vector>

#include "files/bounded_read.h"
#include "files/config_file.h"
#include "files/replace_file.h"
#include "files/system_text.h"
#include "ui/change_list.h"
#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_hold.h"
#include "ui/host_services.h"

namespace qv3 {

namespace {

// No folder (the tests, a system without a home) lists nothing, rather than
// the working directory.
std::vector<HistoryEntry> entries_of(const App& app) {
    if (app.history_folder.empty()) return {};
    return list_history(app.history_folder);
}

// The entry whose line the list shows, as the folder holds it now.
std::optional<HistoryEntry> chosen_entry(WindowHandle dialog, const App& app) {
    if (get_selection(dialog, IDC_HISTORY_ENTRIES) < 0) return std::nullopt;
    const std::string line = get_text(dialog, IDC_HISTORY_ENTRIES, kTextFieldMaxChars);
    for (HistoryEntry& entry : entries_of(app)) {
        if (history_line(entry) == line) return std::move(entry);
    }
    set_text(dialog, IDE_HISTORY_DIFFERENCES, kHistoryEntryGoneText);
    return std::nullopt;
}

DialogAction load_entry(WindowHandle dialog, App& app) {
    if (refused_during_write(app.protocol)) return DialogAction::Stay;
    const std::optional<HistoryEntry> entry = chosen_entry(dialog, app);
    if (!entry) return DialogAction::Stay;
    const std::string path = history_entry_path(app.history_folder, *entry);
    const LoadResult loaded = load_config_file(path, app.record, app.protocol.received_image);
    app.protocol.status_line = load_outcome_text(loaded.outcome);
    show_bound_fields(app.window, kMainWindowLayout, app.record);
    update_main_window_enabling(app);
    return DialogAction::Close;
}

void compare_entry(WindowHandle dialog, App& app) {
    const std::optional<HistoryEntry> entry = chosen_entry(dialog, app);
    if (!entry) return;
    ConfigRecord form = app.record;
    store_bound_fields(app.window, kMainWindowLayout, form);
    // What the entry's image does not hold (the bank shown) stays the form's,
    // so it is no difference.
    ConfigRecord kept = form;
    ReceivedImage image{};
    const LoadResult loaded = load_config_file(history_entry_path(app.history_folder, *entry), kept, image);
    if (loaded.outcome != LoadOutcome::Loaded) {
        set_text(dialog, IDE_HISTORY_DIFFERENCES, with_reason(load_outcome_text(loaded.outcome), loaded.reason));
        return;
    }
    std::string lines;
    for (const std::string& change : named_changes(kept, form)) {
        if (!lines.empty()) lines += "\r\n";  // a multi-line field's line break, as the record keeps it
        lines += change;
    }
    set_text(dialog, IDE_HISTORY_DIFFERENCES, lines.empty() ? kNoDifferencesText : lines);
}

void save_copy(WindowHandle dialog, App& app) {
    const std::optional<HistoryEntry> entry = chosen_entry(dialog, app);
    if (!entry) return;
    const std::optional<std::string> path = choose_save_file(dialog, entry->file_name);
    if (!path) return;
    const BoundedRead read = read_history_entry(app.history_folder, *entry);
    if (read.outcome != BoundedReadOutcome::Read) {
        app.protocol.status_line =
            with_reason(bounded_read_outcome_text(read.outcome), errno_reason(read.system_error));
    } else if (read.bytes.size() > kMaxHistoryEntryBytes) {
        app.protocol.status_line = load_outcome_text(LoadOutcome::InvalidFormat);
    } else {
        const ReplaceResult saved = replace_file(*path, read.bytes);
        app.protocol.status_line = with_reason(replace_outcome_text(saved.outcome), saved.reason);
    }
}

}  // namespace

std::string history_line(const HistoryEntry& entry) {
    std::string line = history_time_text(entry.time);
    if (entry.same_second > 1) line += " #" + std::to_string(entry.same_second);
    return line + "  " + entry.callsign + "  model " + std::to_string(entry.model) + "  " +
           history_kind_text(entry.kind);
}

void history_dialog_opened(WindowHandle dialog, App& app) {
    const std::vector<HistoryEntry> entries = entries_of(app);
    clear_list(dialog, IDC_HISTORY_ENTRIES);
    for (const HistoryEntry& entry : entries) add_list_item(dialog, IDC_HISTORY_ENTRIES, history_line(entry));
    if (entries.empty()) add_list_item(dialog, IDC_HISTORY_ENTRIES, kNoHistoryEntriesText);
    set_selection(dialog, IDC_HISTORY_ENTRIES, 0);
    for (const int id : {IDB_HISTORY_LOAD, IDB_HISTORY_COMPARE, IDB_HISTORY_SAVE_COPY}) {
        set_enabled(dialog, id, !entries.empty());
    }
    set_enabled(dialog, IDB_HISTORY_OPEN_FOLDER, !app.history_folder.empty());
    set_read_only(dialog, IDE_HISTORY_DIFFERENCES, true);
    set_text(dialog, IDE_HISTORY_DIFFERENCES, "");
}

DialogAction history_dialog_command(WindowHandle dialog, App& app, int id) {
    switch (id) {
        case IDB_HISTORY_LOAD:
            return load_entry(dialog, app);
        case IDB_HISTORY_COMPARE:
            compare_entry(dialog, app);
            return DialogAction::Stay;
        case IDB_HISTORY_SAVE_COPY:
            save_copy(dialog, app);
            return DialogAction::Stay;
        case IDB_HISTORY_OPEN_FOLDER:
            if (!open_folder(app.history_folder)) set_text(dialog, IDE_HISTORY_DIFFERENCES, kOpenFolderFailedText);
            return DialogAction::Stay;
        case IDB_HISTORY_CLOSE:
            return DialogAction::Close;
        default:
            return DialogAction::Stay;
    }
}

}  // namespace qv3
