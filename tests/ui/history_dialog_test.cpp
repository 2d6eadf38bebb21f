// The history dialog: its list, and what Load, Compare, Save Copy and Open folder do with the chosen entry.
#include <gtest/gtest.h>

#include "../test_support.h"
#include "files/history.h"
#include "ui/control_ids.h"
#include "ui/history_dialog.h"
#include "ui_fakes.h"

namespace qv3::test {
namespace {

// The main window shows a record of model 1 and keeps a history of its own.
class HistoryDialog : public UiTest {
protected:
    ScratchFolder folder;

    void SetUp() override {
        app.record = decoded(encoded(defaults_for(1)), defaults_for(1));
        initialise_main_window(app);
        app.history_folder = folder.file("history");
    }
    void keep(const std::string& callsign, HistoryKind kind) {
        ConfigRecord record = app.record;
        record.callsign[0] = callsign;
        keep_in_history(app.history_folder, {2026, 12, 8, 21, 5, 13}, 1, encoded(record), kind);
    }
};

TEST_F(HistoryDialog, ListsNewestFirstAndComparesCopiesOpensAndLoadsTheChosenEntry) {
    keep("N0CALL-9", HistoryKind::Read);
    keep("W1ABC-7", HistoryKind::Written);
    type(IDE_CALLSIGN, "K2XYZ");
    fake_host().save_path = folder.file("copy.qv3");
    fake_host().history_session = [&](WindowHandle dialog) {
        EXPECT_EQ(fake_list_items(dialog, IDC_HISTORY_ENTRIES),
                  (std::vector<std::string>{"2026-12-08 21:05:13 #2  W1ABC-7  model 1  written",
                                            "2026-12-08 21:05:13  N0CALL-9  model 1  read"}));
        set_selection(dialog, IDC_HISTORY_ENTRIES, 1);
        for (const int id : {IDB_HISTORY_COMPARE, IDB_HISTORY_SAVE_COPY, IDB_HISTORY_OPEN_FOLDER}) {
            EXPECT_EQ(history_dialog_command(dialog, app, id), DialogAction::Stay);
        }
        EXPECT_EQ(get_text(dialog, IDE_HISTORY_DIFFERENCES, 1000), "Primary Callsign: N0CALL-9 → K2XYZ");
        app.protocol.state = ProtocolState::WritingConfig;  // Load waits for the write, as Load does
        EXPECT_EQ(history_dialog_command(dialog, app, IDB_HISTORY_LOAD), DialogAction::Stay);
        app.protocol.state = ProtocolState::Idle;
        EXPECT_EQ(history_dialog_command(dialog, app, IDB_HISTORY_LOAD), DialogAction::Close);
    };
    on_command(app, IDB_HISTORY);
    const HistoryEntry entry = list_history(app.history_folder).back();
    EXPECT_EQ(read_bytes(folder.file("copy.qv3")), read_bytes(history_entry_path(app.history_folder, entry)));
    EXPECT_EQ(fake_host().log, (std::vector<std::string>{"history dialog",
                                                          "save dialog: " + entry.file_name,
                                                          "open folder: " + app.history_folder}));
    EXPECT_EQ(text(IDE_CALLSIGN), "N0CALL-9");
    EXPECT_EQ(app.protocol.status_line, "File Loaded");
}

}  // namespace
}  // namespace qv3::test
