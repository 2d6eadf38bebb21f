// The telemetry dialog: its fields, its enabling, and what OK, Cancel and the close box keep.
#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/telemetry_binding.h"
#include "ui_fixture.h"

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

TEST_F(TelemetryDialog, OpensWithTheDefaults) {
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_EQ(fake_list_items(dialog, IDC_TELEMETRY_CHANNELS), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_TRUE(get_check(dialog, IDX_SEND_TELEMETRY));
    EXPECT_EQ(get_selection(dialog, IDC_TELEMETRY_CHANNELS), 1);
    EXPECT_EQ(dialog_text(IDC_TELEMETRY_CHANNELS), "2");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_DEF_RATE), "0");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "");
    EXPECT_TRUE(inputs_enabled(true));

    const ConfigRecord before = app.record;
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Close);
    EXPECT_EQ(app.record, before);  // OK without edits stores what was shown
}

TEST_F(TelemetryDialog, UncheckingDisablesTheInputsButOkStillStoresThem) {
    telemetry_dialog_opened(dialog, app.record);
    set_check(dialog, IDX_SEND_TELEMETRY, false);
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDX_SEND_TELEMETRY), DialogAction::Stay);
    EXPECT_TRUE(inputs_enabled(false));

    set_selection(dialog, IDC_TELEMETRY_CHANNELS, 2);
    set_text(dialog, IDE_TELEMETRY_DEF_RATE, " -20 min");
    set_text(dialog, IDE_TELEMETRY_TEXT, "PARM.A,B\r\nUNIT.V,A");
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK), DialogAction::Close);
    EXPECT_EQ(app.record.send_telemetry[0], 0);
    EXPECT_EQ(app.record.telemetry_channels[0], 3);
    EXPECT_EQ(app.record.telemetry_def_rate[0], -20);
    EXPECT_EQ(app.record.telemetry_text[0], "PARM.A,B\r\nUNIT.V,A");

    set_check(dialog, IDX_SEND_TELEMETRY, true);
    telemetry_dialog_command(dialog, app.record, IDX_SEND_TELEMETRY);
    EXPECT_TRUE(inputs_enabled(true));
}

TEST_F(TelemetryDialog, FieldsConvertLikeTheMainForm) {
    app.record.telemetry_def_rate[0] = -2147483647 - 1;
    app.record.telemetry_text[0] = "line 1\r\nline 2";
    app.record.send_telemetry[0] = 0;
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_DEF_RATE), "-2147483648");
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "line 1\r\nline 2");
    EXPECT_TRUE(inputs_enabled(false));

    set_text(dialog, IDE_TELEMETRY_DEF_RATE, "99999999999");
    set_text(dialog, IDE_TELEMETRY_TEXT, std::string(300, 't'));
    telemetry_dialog_close_box(dialog, app.record);
    EXPECT_EQ(app.record.telemetry_def_rate[0], 2147483647);
    EXPECT_EQ(app.record.telemetry_text[0], std::string(299, 't'));
}

TEST_F(TelemetryDialog, AChannelCountOutsideOneToThreeShowsNoSelectionAndStoresZero) {
    for (const int channels : {0, 4, -1, 1000}) {
        app.record.telemetry_channels[0] = channels;
        const WindowHandle d = new_fake_window();
        telemetry_dialog_opened(d, app.record);
        EXPECT_EQ(get_selection(d, IDC_TELEMETRY_CHANNELS), -1) << channels;
        telemetry_dialog_command(d, app.record, IDB_TELEMETRY_OK);
        EXPECT_EQ(app.record.telemetry_channels[0], 0) << channels;
    }
    for (const int channels : {1, 2, 3}) {
        app.record.telemetry_channels[0] = channels;
        const WindowHandle d = new_fake_window();
        telemetry_dialog_opened(d, app.record);
        EXPECT_EQ(get_selection(d, IDC_TELEMETRY_CHANNELS), channels - 1);
        telemetry_dialog_command(d, app.record, IDB_TELEMETRY_OK);
        EXPECT_EQ(app.record.telemetry_channels[0], channels);
    }
}

TEST_F(TelemetryDialog, TheSecondaryTabsDialogChangesOnlyBankOne) {
    app.record.active_bank = Secondary;
    app.record.telemetry_text = {"primary", "secondary"};
    telemetry_dialog_opened(dialog, app.record);
    EXPECT_EQ(dialog_text(IDE_TELEMETRY_TEXT), "secondary");
    set_text(dialog, IDE_TELEMETRY_TEXT, "changed");
    set_text(dialog, IDE_TELEMETRY_DEF_RATE, "60");
    set_selection(dialog, IDC_TELEMETRY_CHANNELS, 0);
    set_check(dialog, IDX_SEND_TELEMETRY, false);
    telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_OK);

    ConfigRecord expected;
    expected.active_bank = Secondary;
    expected.telemetry_text = {"primary", "changed"};
    expected.telemetry_def_rate = {0, 60};
    expected.telemetry_channels = {2, 1};
    expected.send_telemetry = {1, 0};
    EXPECT_EQ(app.record, expected);
}

TEST_F(TelemetryDialog, CancelKeepsTheRecordAndTheCloseBoxKeepsTheEdits) {
    const ConfigRecord before = app.record;
    telemetry_dialog_opened(dialog, app.record);
    set_text(dialog, IDE_TELEMETRY_TEXT, "edited");
    EXPECT_EQ(telemetry_dialog_command(dialog, app.record, IDB_TELEMETRY_CANCEL), DialogAction::Close);
    EXPECT_EQ(app.record, before);

    const WindowHandle again = new_fake_window();
    telemetry_dialog_opened(again, app.record);
    set_text(again, IDE_TELEMETRY_TEXT, "edited");
    EXPECT_EQ(telemetry_dialog_close_box(again, app.record), DialogAction::Close);
    EXPECT_EQ(app.record.telemetry_text[0], "edited");

    EXPECT_EQ(telemetry_dialog_command(again, app.record, IDE_TELEMETRY_TEXT), DialogAction::Stay);
}

}  // namespace
}  // namespace qv3::test
