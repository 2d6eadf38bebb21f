// The telemetry dialog: its fields, its enabling, and what OK, Cancel and the close box keep.
#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/telemetry_binding.h"
#include "ui_fakes.h"

namespace qv3::test {
namespace {

class TelemetryDialog : public UiTest {
protected:
    WindowHandle dialog = new_fake_window();

    std::string dialog_text(int id) const { return get_text(dialog, id, 100000); }
    bool inputs_enabled(bool expected) const {
        return is_enabled(dialog, IDC_TELEMETRY_CHANNELS) == expected &&
               is_enabled(dialog, IDE_TELEMETRY_DEF_RATE) == expected &&
               is_enabled(dialog, IDE_TELEMETRY_TEXT) == expected;
    }
};

TEST_F(TelemetryDialog, OpensWithTheDefaultsAndOkWithoutEditsStoresWhatWasShown) {
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_TRUE(get_check(dialog, IDX_SEND_TELEMETRY));
    EXPECT_EQ(dialog_text(IDC_TELEMETRY_CHANNELS), "2");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_DEF_RATE), "0");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "");
    EXPECT_TRUE(inputs_enabled(true));

    const ConfigRecord before = app.record;
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Close);
    EXPECT_EQ(app.record, before);
}

TEST_F(TelemetryDialog, TheCheckBoxEnablesTheInputsButOkStoresThemEitherWay) {
    app.record.send_telemetry[0] = 0;
    app.record.telemetry_def_rate[0] = -2147483647 - 1;
    app.record.telemetry_text[0] = "line 1\r\nline 2";
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_DEF_RATE), "-2147483648");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "line 1\r\nline 2");
    EXPECT_TRUE(inputs_enabled(false));
    for (const bool sending : {true, false}) {
        set_check(dialog, IDX_SEND_TELEMETRY, sending);
        EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDX_SEND_TELEMETRY), DialogAction::Stay);
        EXPECT_TRUE(inputs_enabled(sending));
    }

    set_selection(dialog, IDC_TELEMETRY_CHANNELS, 2);
    set_text(dialog, IDE_TELEMETRY_DEF_RATE, "99999999999");
    set_text(dialog, IDE_TELEMETRY_TEXT, std::string(300, 't'));
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Close);
    EXPECT_EQ(app.record.send_telemetry[0], 0);
    EXPECT_EQ(app.record.telemetry_channels[0], 3);
    EXPECT_EQ(app.record.telemetry_def_rate[0], 2147483647);
    EXPECT_EQ(app.record.telemetry_text[0], std::string(299, 't'));
}

TEST_F(TelemetryDialog, AChannelCountOutsideOneToThreeShowsNoSelectionAndStoresZero) {
    for (const int channels : {0, 1, 2, 3, 4, -1, 1000}) {
        const bool listed = channels >= 1 && channels <= 3;
        app.record.telemetry_channels[0] = channels;
        const WindowHandle d = new_fake_window();
        telemetry_dialog_opened(d, app.record);
        EXPECT_EQ(get_selection(d, IDC_TELEMETRY_CHANNELS), listed ? channels - 1 : -1) << channels;
        telemetry_dialog_command(d, app.record, IDB_TELEMETRY_OK);
        EXPECT_EQ(app.record.telemetry_channels[0], listed ? channels : 0) << channels;
    }
}

TEST_F(TelemetryDialog, TheSecondaryTabsDialogChangesOnlyBankOne) {
    app.record.active_bank = Secondary;
    app.record.telemetry_text = {"primary", "secondary"};
    ConfigRecord expected = app.record;
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "secondary");
    set_text(dialog, IDE_TELEMETRY_TEXT, "changed");
    set_text(dialog, IDE_TELEMETRY_DEF_RATE, "60");
    set_selection(dialog, IDC_TELEMETRY_CHANNELS, 0);
    set_check(dialog, IDX_SEND_TELEMETRY, false);
    telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK);

    expected.telemetry_text[1] = "changed";
    expected.telemetry_def_rate[1] = 60;
    expected.telemetry_channels[1] = 1;
    expected.send_telemetry[1] = 0;
    EXPECT_EQ(app.record, expected);
}

TEST_F(TelemetryDialog, OkAndTheCloseBoxRefuseACharacterTheTrackerCannotStoreAndStay) {
    const ConfigRecord before = app.record;
    telemetry_dialog_opened(dialog, app.record);
    set_text(dialog, IDE_TELEMETRY_TEXT, "PARM.日本");
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Stay);
    EXPECT_EQ(telemetry_dialog_close_box(dialog, app.record), DialogAction::Stay);
    EXPECT_EQ(fake_host().log.back(),
              "notice: Quorvale3Config | Definition Text: the tracker cannot store the character '日' (U+65E5).");
    EXPECT_TRUE(fake_focus(dialog) == IDE_TELEMETRY_TEXT && app.record == before && fake_host().log.size() == 2);
    set_text(dialog, IDE_TELEMETRY_TEXT, "PARM.Température");  // é is the byte 0xE9
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Close);
    EXPECT_EQ(app.record.telemetry_text[0], "PARM.Temp\xE9rature");
}

TEST_F(TelemetryDialog, CancelKeepsTheRecordAndTheCloseBoxKeepsTheEdits) {
    const ConfigRecord before = app.record;
    telemetry_dialog_opened(dialog, app.record);
    set_text(dialog, IDE_TELEMETRY_TEXT, "edited");
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_CANCEL), DialogAction::Close);
    EXPECT_EQ(app.record, before);
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDE_TELEMETRY_TEXT), DialogAction::Stay);
    EXPECT_EQ(telemetry_dialog_close_box(dialog, app.record), DialogAction::Close);
    EXPECT_EQ(app.record.telemetry_text[0], "edited");
}

}  // namespace
}  // namespace qv3::test
