// The history dialog: the kept images of the tracker listed newest first, loaded into the form, compared with it, copied, or shown in the file manager.
#pragma once

#include <string>

#include "files/history.h"
#include "ui/app.h"
#include "ui/form_access.h"
#include "ui/telemetry_binding.h"  // DialogAction

namespace qv3 {

// The list's only line when the history holds no entry.
constexpr const char* kNoHistoryEntriesText = "No entries yet";
// Compare's answer when the entry and the form hold the same settings.
constexpr const char* kNoDifferencesText = "No differences";
// Said in the dialog when the chosen entry has gone from the folder since it was listed.
constexpr const char* kHistoryEntryGoneText = "That entry is no longer in the history folder";
// Said in the dialog when the file manager could not be started.
constexpr const char* kOpenFolderFailedText = "The history folder could not be opened";

// The entry's line in the list: "2026-12-08 21:05:13  N0CALL-9  model 1  read";
// a second entry of the same second shows its number after the time ("21:05:13 #2").
std::string history_line(const HistoryEntry& entry);

// Once the dialog exists: lists app.history_folder's entries, newest first,
// the newest chosen; with none, kNoHistoryEntriesText and Load, Compare and
// Save Copy disabled. "Open folder" is enabled when the front end names a
// folder. The differences field is read-only and empty.
void history_dialog_opened(WindowHandle dialog, App& app);

// A click on control id. The chosen entry is the one whose line the list
// shows, found again in the folder, so that entries kept while the dialog is
// open change nothing.
// Load: refused during a write as "Load" is (refused_during_write); else the
//   entry goes into app.record as "Load" puts a file there, the status line
//   says the outcome, the form shows the record, and the dialog closes.
// Compare: the form, stored into a copy of the record, against the entry:
//   one line each named change ("Primary Callsign: N0CALL-9 → W1ABC-7",
//   entry before, form after), or kNoDifferencesText.
// Save Copy...: the entry's bytes into the file the save dialog names
//   (offering the entry's name), replaced with the care of every save; the
//   status line says the outcome as "Save" does.
// Open folder: the history folder in the desktop's file manager.
// Close (also Esc and the close box): closes.
DialogAction history_dialog_command(WindowHandle dialog, App& app, int id);

}  // namespace qv3
