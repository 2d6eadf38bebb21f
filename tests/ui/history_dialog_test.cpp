// The history dialog: its list, and what Load, Compare, Save Copy and Open folder do with the chosen entry.
#include <gtest/gtest.h>

#include "files/history.h"
#include "../test_support.h"
#include "ui/control_ids.h"
#include "ui/history_dialog.h"
#include "ui_fakes.h"

namespace qv3::test {
namespace {

class HistoryDialog : public UiTest {
protected:
    ScratchFolder folder;

    // The form shows a record read from a tracker of model 1.
    void SetUp() override {
        app.record = decoded(encoded(defaults_for(1)), defaults_for(1));
        initialise_main_window(app);
    }

    // Keeps the record with callsign as an entry of kind at 21:05:second.
    void keep(const std::string& callsign, int second, HistoryKind kind) {
        ConfigRecord record = defaults_for(1);
        record.callsign[0] = callsign;
        keep_in_history(app.history_folder, {2026, 12, 8, 21, 5, second}, 1, encoded(record), kind);
    }
    // Opens the dialog from the main window; then runs session in it.
    void open(const std::function<void(WindowHandle)>& session) {
        fake_host().history_session = session;
        on_command(app, IDB_HISTORY);
    }
};

TEST_F(HistoryDialog, AnEmptyHistorySaysSoAndOffersNothingToLoadOrCompare) {
    for (const std::string& history : {std::string(), folder.file("none yet")}) {
        app.history_folder = history;
        open([&](WindowHandle dialog) {
            EXPECT_EQ(fake_list_items(dialog, IDC_HISTORY_ENTRIES), std::vector<std::string>{kNoHistoryEntriesText});
            // Open folder too where the front end names no folder.
            std::vector<int> disabled{IDB_HISTORY_LOAD, IDB_HISTORY_COMPARE, IDB_HISTORY_SAVE_COPY};
            if (history.empty()) disabled.push_back(IDB_HISTORY_OPEN_FOLDER);
            EXPECT_EQ(fake_disabled_controls(dialog), disabled) << history;
            EXPECT_EQ(history_dialog_command(dialog, app, IDB_HISTORY_CLOSE), DialogAction::Close);
        });
    }
}

TEST_F(HistoryDialog, ListsNewestFirstAndComparesLoadsCopiesAndOpensTheChosenEntry) {
    app.history_folder = folder.file("history");
    keep("N0CALL-9", 13, HistoryKind::Read);
    keep("W1ABC-7", 13, HistoryKind::Written);
    type(IDE_CALLSIGN, "K2XYZ");
    fake_host().save_path = folder.file("copy.qv3");
    open([&](WindowHandle dialog) {
        EXPECT_EQ(fake_list_items(dialog, IDC_HISTORY_ENTRIES),
                  (std::vector<std::string>{"2026-12-08 21:05:13 #2  W1ABC-7  model 1  written",
                                            "2026-12-08 21:05:13  N0CALL-9  model 1  read"}));
        EXPECT_TRUE(fake_read_only_controls(dialog) == std::vector<int>{IDE_HISTORY_DIFFERENCES});
        set_selection(dialog, IDC_HISTORY_ENTRIES, 1);
        for (const auto& [id, action] : {std::pair{IDB_HISTORY_COMPARE, DialogAction::Stay},
                                         {IDB_HISTORY_SAVE_COPY, DialogAction::Stay},
                                         {IDB_HISTORY_OPEN_FOLDER, DialogAction::Stay}}) {
            EXPECT_EQ(history_dialog_command(dialog, app, id), action) << id;
        }
        EXPECT_EQ(get_text(dialog, IDE_HISTORY_DIFFERENCES, 1000), "Primary Callsign: N0CALL-9 → K2XYZ");
        EXPECT_EQ(history_dialog_command(dialog, app, IDB_HISTORY_LOAD), DialogAction::Close);
    });
    const HistoryEntry entry = list_history(app.history_folder).back();
    EXPECT_EQ(read_bytes(folder.file("copy.qv3")), read_bytes(history_entry_path(app.history_folder, entry)));
    EXPECT_EQ(fake_host().log, (std::vector<std::string>{"history dialog", "save dialog: " + entry.file_name,
                                                          "open folder: " + app.history_folder}));
    EXPECT_EQ(text(IDE_CALLSIGN), "N0CALL-9");
    EXPECT_EQ(app.protocol.status_line, "File Loaded");
}

TEST_F(HistoryDialog, LoadIsRefusedDuringAWriteAndTheSameFormHasNoDifferences) {
    app.history_folder = folder.file("history");
    keep("NOCALL", 1, HistoryKind::Read);
    app.protocol.state = ProtocolState::WritingConfig;
    open([&](WindowHandle dialog) {
        EXPECT_EQ(history_dialog_command(dialog, app, IDB_HISTORY_LOAD), DialogAction::Stay);
        EXPECT_EQ(app.protocol.status_line, kWriteInProgressStatus);
        history_dialog_command(dialog, app, IDB_HISTORY_COMPARE);
        EXPECT_EQ(get_text(dialog, IDE_HISTORY_DIFFERENCES, 1000), kNoDifferencesText);
    });
}

}  // namespace
}  // namespace qv3::test
