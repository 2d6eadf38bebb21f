// The main window: start-up, ports, tabs, every command, and the timer tick, against fake controls, host and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "device/write_confirmations.h"
#include "files/history.h"
#include "model/config_fields.h"
#include "model/image_encoder.h"
#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/end_requests.h"
#include "ui/field_binding.h"
#include "ui/form_fields.h"
#include "ui/form_rules.h"
#include "../test_support.h"
#include "ui_fakes.h"

namespace qv3::test {
namespace {

constexpr uint8_t kEsc = 0x1B;

class MainWindow : public UiTest {
protected:
    void start() { initialise_main_window(app); }
    void click(int id) { on_command(app, id); }
    void toggle(int id) {
        set_check(app.window, id, !get_check(app.window, id));
        on_command(app, id);
    }
    bool enabled(int id) const { return is_enabled(app.window, id); }
    void tick_until(ProtocolState state) {
        for (int i = 0; i < 50 && app.protocol.state != state; ++i) {
            answer_read_before_write();
            on_timer(app);
            std::vector<std::string>& log = fake_host().log;
            if (answered && !log.empty() && log.back().starts_with(kChangeQuestion)) log.pop_back();
            answered = answered && app.protocol.state == ProtocolState::ReadingBeforeWrite;
        }
        ASSERT_EQ(app.protocol.state, state);
    }
    // What a tracker of model holds in these tests: the defaults but for its callsign.
    static std::vector<uint8_t> held_image(int model) {
        ConfigRecord held{.device_model = model};
        held.callsign[0] = "HELD";
        ImageBytes image{};
        encode_image(held, image);
        return {image.begin(), image.begin() + image_size_for_model(model)};
    }
    // The read before a write finds held_image, and its change list is
    // answered OK, unlogged: the tests of the write itself pass through it.
    void answer_read_before_write() {
        if (app.protocol.state != ProtocolState::ReadingBeforeWrite || app.protocol.received_image.length != 0 ||
            !fake_serial().incoming.empty()) {
            return;
        }
        const std::vector<uint8_t> image = held_image(app.record.device_model);
        fake_serial().incoming.assign(image.begin(), image.end());
        fake_host().answers.push_front(true);
        answered = true;
    }
    bool answered = false;
    static constexpr const char* kChangeQuestion = "question: Quorvale3 Write | The tracker will change:";
    // A model 4 tracker answers the next version query, and its write is started.
    void start_write() {
        app.record.device_model = 4;
        start();
        const std::string reply = "Quorvale3 v1.4";
        fake_serial().incoming.assign(reply.begin(), reply.end());
        click(IDB_WRITE_CONFIG);
        ASSERT_EQ(app.protocol.state, ProtocolState::QueryVersionForWrite);
    }
    // Lets the tracker read back `image` and steps until the write is judged.
    void finish_write(const ImageBytes& image) {
        tick_until(ProtocolState::VerifyingConfig);
        fake_serial().incoming.assign(image.begin(), image.end());
        tick_until(ProtocolState::Idle);
    }
    // Everything one undisturbed write sends: the version query, the read before it, the image and the read-back command.
    static std::vector<uint8_t> one_write(const ImageBytes& image) {
        std::vector<uint8_t> bytes{kEsc, 'V', kEsc, 'U', kEsc, 'D', 0xAA, 0x55};
        bytes.insert(bytes.end(), image.begin(), image.end());
        bytes.insert(bytes.end(), {kEsc, 'U'});
        return bytes;
    }
    std::vector<std::string> log() const { return fake_host().log; }
    static std::string notice(const char* caption, const char* text) {
        return std::string("notice: ") + caption + " | " + text;
    }

    ScratchFolder folder;
};

TEST_F(MainWindow, AFreshStartShowsTheDefaultsAndNoPorts) {
    start();
    EXPECT_EQ(fake_list_items(app.window, IDC_PORT), (std::vector<std::string>{"No COM Ports Found"}));
    EXPECT_EQ(selected_port_name(app), "No COM Ports Found");
    EXPECT_EQ(text(IDE_CALLSIGN), "NOCALL");
    EXPECT_EQ(text(IDE_FREQUENCY), "144.390");
    EXPECT_EQ(text(IDC_MIC_E_MESSAGE), "In Service");
    EXPECT_EQ(text(IDC_TIMESTAMP), "None");
    // No model yet: the model's controls are off, and those the default check boxes turn off.
    EXPECT_FALSE(enabled(IDB_EDIT_TELEMETRY) || enabled(IDE_SLOW_SPEED) || enabled(IDC_TIMESTAMP));
    EXPECT_TRUE(log().empty());
}

TEST_F(MainWindow, PortsThatMayExistAndAnswerAProbeAreListed) {
    fake_serial().may_exist = {"COM3", "COM4", "COM12", "COM20", "COM21"};
    fake_serial().probe_ok = {"COM3", "COM5", "COM12", "COM20", "COM21"};
    start();
    EXPECT_EQ(fake_list_items(app.window, IDC_PORT), (std::vector<std::string>{"COM3", "COM12", "COM20"}));
    EXPECT_EQ(fake_serial().probed, (std::vector<std::string>{"COM3", "COM4", "COM12", "COM20"}));
    EXPECT_EQ(selected_port_name(app), "COM3");
    EXPECT_EQ(app.port.port_name, "COM1");  // listing leaves the window's port alone
    type(IDC_PORT, std::string(150, 'P'));
    EXPECT_EQ(selected_port_name(app), std::string(99, 'P'));
}

TEST_F(MainWindow, SwitchingTabsKeepsTheEditsOfEachBank) {
    app.record.callsign[1] = "SECOND";
    app.record.status_text[1] = "\xB5\xFF";  // Latin-1, the tracker's own, shown as its characters
    app.record.smart_beacon_enable[1] = 1;
    start();
    fill_list(app.window, IDC_TAB, kTabTexts);
    type(IDE_CALLSIGN, "EDITED");
    on_bank_key(app, -1);  // Ctrl+Shift+Tab and Ctrl+PgUp go round, and the tab control follows
    EXPECT_EQ(get_selection(app.window, IDC_TAB), Secondary);
    EXPECT_EQ(fake_control_name(app.window, IDE_CALLSIGN), "Secondary Callsign");  // "Primary Callsign" at start
    EXPECT_EQ(app.record.callsign[0], "EDITED");
    EXPECT_EQ(text(IDE_CALLSIGN) + text(IDE_STATUS_TEXT), "SECONDµÿ");
    EXPECT_TRUE(enabled(IDE_SLOW_SPEED));  // enabling follows the bank shown

    type(IDE_CALLSIGN, "SECOND-2");
    on_tab_changed(app, Primary);
    EXPECT_EQ(text(IDE_CALLSIGN), "EDITED");
    EXPECT_EQ(app.record.callsign[1], "SECOND-2");
    EXPECT_FALSE(enabled(IDE_SLOW_SPEED));
    on_tab_changed(app, 2);  // no such tab
    EXPECT_EQ(app.record.active_bank, Primary);
}

TEST_F(MainWindow, AVersionQueryLeavesTheFormButItsReplyShowsTheRecordAgain) {
    start();
    type(IDC_PORT, "COM7");
    type(IDE_CALLSIGN, "UNSAVED");
    const std::string reply = "Quorvale3 v1.4";
    fake_serial().incoming.assign(reply.begin(), reply.end());
    click(IDB_READ_VERSION);
    EXPECT_EQ(fake_serial().opened, (std::vector<std::string>{"COM7"}));
    EXPECT_EQ(fake_serial().written, (std::vector<uint8_t>{kEsc, 'V'}));
    EXPECT_EQ(app.record.callsign[0], "NOCALL") << "the form is not stored";
    for (int tick = 0; tick < 3; ++tick) on_timer(app);  // the third step judges the reply
    EXPECT_EQ(text(IDT_STATUS), "Version Read : \"Quorvale3 v1.4\"");
    EXPECT_EQ(text(IDE_CALLSIGN), "NOCALL");
    EXPECT_TRUE(enabled(IDB_EDIT_TELEMETRY)) << "model 4's enabling";
}

TEST_F(MainWindow, WriteIsRefusedBeforeAVersionIsReadButTheFormIsStored) {
    start();
    type(IDE_CALLSIGN, "N0XYZ");
    set_enabled(app.window, IDB_EDIT_TELEMETRY, true);
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log(), (std::vector<std::string>{
                         "notice: Read Version First | You must read the version before writing the config"}));
    EXPECT_EQ(app.record.callsign[0], "N0XYZ");
    EXPECT_TRUE(fake_serial().opened.empty());
    EXPECT_FALSE(enabled(IDB_EDIT_TELEMETRY));  // enabling applied again
}

// A character the tracker cannot store stops Save, Write Config and a bank
// switch before anything is opened, asked or stored; the field takes the focus.
TEST_F(MainWindow, ACharacterTheTrackerCannotStoreIsRefusedBeforeAnythingIsStored) {
    const std::vector<std::tuple<int, int, std::string, std::string>> cases{  // command, control, typed, refused
        {IDB_SAVE, IDE_STATUS_TEXT, "Café Ω 日本 🙂", "Status Text: the tracker cannot store the character 'Ω' (U+03A9)."},
        {IDB_WRITE_CONFIG, IDE_PATH, "WIDE1-1,WIDEΩ2-1", "Path: the tracker cannot store the character 'Ω' (U+03A9)."},
        {IDB_WRITE_CONFIG, IDE_SYMBOL, "日", "Symbol: the tracker cannot store the character '日' (U+65E5)."},
        {IDC_TAB, IDE_CALLSIGN, "N0🙂", "Callsign: the tracker cannot store the character '🙂' (U+1F642)."},
    };
    start();
    fill_list(app.window, IDC_TAB, kTabTexts);
    const ConfigRecord before = app.record;
    for (const auto& [command, id, typed, refused] : cases) {
        reset_fake_host();
        type(id, typed);
        if (command == IDC_TAB) set_selection(app.window, IDC_TAB, Secondary);  // a click on the tab
        command == IDC_TAB ? on_tab_changed(app, Secondary) : click(command);
        EXPECT_EQ(log(), (std::vector<std::string>{"notice: Quorvale3Config | " + refused}));
        EXPECT_EQ(std::make_tuple(fake_focus(app.window), get_selection(app.window, IDC_TAB), text(id)),
                  std::make_tuple(id, 0, typed));
        EXPECT_TRUE(app.record == before && fake_serial().opened.empty()) << refused;
        type(id, "");
    }
}

TEST_F(MainWindow, CutTextsAreShownShortenedAndNotWrittenButSaved) {
    app.record.device_model = 1;
    start();
    type(IDE_STATUS_TEXT, std::string(200, 's'));
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log(), (std::vector<std::string>{notice(kTextTruncatedCaption, kTextTruncatedMessage)}));
    const std::string shown = text(IDE_STATUS_TEXT);
    EXPECT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), 200u);
    EXPECT_EQ(shown, std::string(shown.size(), 's'));
    EXPECT_EQ(app.record.status_text[0], shown);
    EXPECT_TRUE(fake_serial().written.empty());
    on_timer(app);
    EXPECT_EQ(text(IDT_STATUS), "Read Config Successful");

    type(IDE_STATUS_TEXT, std::string(200, 's'));
    fake_host().save_path = folder.file("cut.qv3");
    click(IDB_SAVE);
    EXPECT_EQ(log().back(), notice(kTextTruncatedCaption, kTextTruncatedMessage));
    EXPECT_EQ(app.protocol.status_line, "File Saved");
    EXPECT_TRUE(std::filesystem::exists(folder.file("cut.qv3")));
}

TEST_F(MainWindow, WriteAsksEachQuestionTheRecordCallsForAndStopsAtCancel) {
    app.record.device_model = 4;
    app.record.telemetry_def_rate[1] = 10;  // the other bank raises the telemetry question
    start();
    type(IDC_PORT, "COM9");
    set_selection(app.window, IDC_MIC_E_MESSAGE, 7);  // "Emergency!"
    type(IDE_PATH, "WIDE1-1,WIDE4-4");
    type(IDE_AUTO_TX_RATE, "60");
    const std::string caption = std::string("question: ") + kWriteQuestionCaption + " | ";
    const std::vector<std::string> all_four{caption + kEmergencyQuestion, caption + kLongPathQuestion,
                                            caption + kFastRateQuestion, caption + kFastTelemetryQuestion};

    fake_host().answers = {true, false, true, true};
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log(), (std::vector<std::string>{all_four[0], all_four[1]}));
    EXPECT_TRUE(fake_serial().opened.empty());
    EXPECT_EQ(app.record.path[0], "WIDE1-1,WIDE4-4");  // the form was stored all the same

    reset_fake_host();
    fake_host().answers = {true, true, true, true};
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log(), all_four);
    EXPECT_EQ(fake_serial().opened, (std::vector<std::string>{"COM9"}));
    EXPECT_EQ(fake_serial().written, (std::vector<uint8_t>{kEsc, 'V'}));
    EXPECT_EQ(app.protocol.state, ProtocolState::QueryVersionForWrite);
}

TEST_F(MainWindow, AConfigurationThatDoesNotFitIsNeitherWrittenNorSaved) {
    app.record.device_model = 6;
    app.record.path[1] = std::string(298, ',');
    start();
    type(IDE_PATH, std::string(299, ','));
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log(), (std::vector<std::string>{notice(kDoesNotFitCaption, kDoesNotFitMessage)}));
    EXPECT_TRUE(fake_serial().opened.empty());

    reset_fake_host();
    fake_host().save_path = folder.file("big.qv3");
    click(IDB_SAVE);
    EXPECT_EQ(log(),
              (std::vector<std::string>{"save dialog: config1.qv3", notice(kDoesNotFitCaption, kDoesNotFitMessage)}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("big.qv3")));
    EXPECT_EQ(app.protocol.status_line, "Failed to write data");
}

TEST_F(MainWindow, SaveStoresTheFormOnlyOnceAFileIsChosenAndLeavesAWriteInProgressAlone) {
    app.record.device_model = 4;
    start();
    type(IDE_CALLSIGN, "SAVED-1");
    click(IDB_SAVE);  // cancelled: the form is not even stored
    EXPECT_EQ(app.record.callsign[0], "NOCALL");
    EXPECT_EQ(app.protocol.status_line, "");

    app.protocol.encoded_image.fill(0x5A);  // a write is sending this image
    app.protocol.state = ProtocolState::WritingConfig;
    fake_host().save_path = folder.file("saved.qv3");
    click(IDB_SAVE);
    EXPECT_EQ(app.record.callsign[0], "SAVED-1");
    EXPECT_EQ(app.protocol.status_line, "File Saved");
    EXPECT_TRUE(std::all_of(app.protocol.encoded_image.begin(), app.protocol.encoded_image.end(),
                            [](uint8_t b) { return b == 0x5A; }));
    if (std::filesystem::exists("/dev/full")) {  // a full disk: the system's words say so
        fake_host().save_path = "/dev/full";
        click(IDB_SAVE);
        EXPECT_EQ(app.protocol.status_line, "Failed to write data (No space left on device)");
    }
}

TEST_F(MainWindow, AWriteUnderWayRefusesEveryTrackerCommandAndLoad) {
    start_write();
    // Its version query is part of it: a Read Config then would replace the write.
    for (const int id : {IDB_READ_VERSION, IDB_READ_CONFIG, IDB_WRITE_CONFIG, IDB_SEND_BOTH, IDB_LOAD}) click(id);
    EXPECT_EQ(fake_serial().written, (std::vector<uint8_t>{kEsc, 'V'}));
    tick_until(ProtocolState::WritingConfig);
    on_timer(app);  // the first piece
    const ConfigRecord record = app.record;
    const ImageBytes image = app.protocol.encoded_image;
    const std::vector<uint8_t> sent = fake_serial().written;
    write_bytes(folder.file("other.qv3"), "XXXXXXXX");
    fake_host().open_path = folder.file("other.qv3");
    fake_host().answers = {true, true, true, true};
    type(IDE_CALLSIGN, "TYPED");
    type(IDE_PATH, "WIDE1-1,WIDE4-4");  // a write would ask about it
    for (const int id : {IDB_READ_VERSION, IDB_READ_CONFIG, IDB_WRITE_CONFIG, IDB_SEND_1200, IDB_SEND_2200,
                         IDB_SEND_BOTH, IDB_STOP_TEST, IDB_LOAD, IDB_EDIT_TELEMETRY}) {
        app.protocol.status_line.clear();
        click(id);
        EXPECT_EQ(app.protocol.status_line, "Write in progress, please wait") << "command " << id;
        EXPECT_EQ(fake_serial().written, sent) << "command " << id;
        EXPECT_TRUE(app.record == record) << "command " << id;
    }
    EXPECT_EQ(app.protocol.encoded_image, image);
    EXPECT_TRUE(log().empty()) << "no question, no file dialog, no telemetry dialog";
    on_timer(app);
    EXPECT_EQ(text(IDT_STATUS), "Write in progress, please wait") << "the next step leaves the refusal shown";

    tick_until(ProtocolState::VerifyingConfig);
    click(IDB_READ_CONFIG);
    EXPECT_EQ(app.protocol.status_line, "Write in progress, please wait");
    finish_write(image);
    EXPECT_EQ(app.protocol.status_line, "Config Written Successfully!");
    EXPECT_EQ(fake_serial().written, one_write(image));
}

// Between the read before a write and the image: what is kept, asked and
// said, and whether the image goes out.
TEST_F(MainWindow, TheReadBeforeAWriteIsKeptAndItsChangesAskedBeforeTheImageGoesOut) {
    write_bytes(folder.file("plain"), "a file where the folder would be");
    const std::string kept_in = folder.file("history");
    const std::string unwritable = folder.file("plain/history");
    const std::string changes = "The tracker will change:\nPrimary Callsign: HELD \xE2\x86\x92 NOCALL\nWrite these changes?";
    const std::string unreadable =
        "The tracker's current configuration could not be read (Config not read). Write without keeping it?";
    using enum HistoryKind;
    // (history folder, the tracker holds: 'h' HELD, 'f' the form's image, '-' nothing; answers;
    //  the first question asked; the status; the image sent; the history's kinds, newest first)
    for (const auto& [history, holds, answers, asked, status, sent, kinds] :
         std::vector<std::tuple<std::string, char, std::deque<bool>, std::string, std::string, bool,
                                std::vector<HistoryKind>>>{
             {kept_in, 'h', {true}, changes, "Config Written Successfully!", true, {Written, BeforeWrite}},
             {kept_in, 'h', {false}, changes, "Write cancelled: the tracker is unchanged", false, {BeforeWrite}},
             {kept_in, 'f', {}, "", "The tracker already holds this configuration", false, {BeforeWrite}},
             {kept_in, '-', {true}, unreadable, "Config Written Successfully!", true, {Written}},
             {kept_in, '-', {false}, unreadable, "Write cancelled: the tracker is unchanged", false, {}},
             {unwritable, 'h', {false}, "Could not keep the tracker's configuration before writing (" + unwritable,
              "Could not keep the tracker's configuration before writing (" + unwritable, false, {}},
             {unwritable, 'h', {true, true}, "Could not keep",
              "Config Written Successfully!; could not keep it in the history (", true, {}}}) {
        std::filesystem::remove_all(kept_in);
        reset_fake_host();
        fake_serial() = FakeSerial{};
        app = App{};
        app.window = new_fake_window();
        app.history_folder = history;
        start_write();
        const ImageBytes& form = app.protocol.encoded_image;
        const std::vector<uint8_t> image = holds == 'h' ? held_image(4) : std::vector<uint8_t>(form.begin(), form.end());
        for (int i = 0; i < 50 && app.protocol.state != ProtocolState::ReadingBeforeWrite; ++i) on_timer(app);
        if (holds != '-') fake_serial().incoming.assign(image.begin(), image.end());
        fake_host().answers = answers;
        for (int i = 0; i < 50 && app.protocol.state == ProtocolState::ReadingBeforeWrite; ++i) on_timer(app);
        if (sent) finish_write(app.protocol.encoded_image);
        const std::string label = std::string(1, holds) + " " + status;
        EXPECT_TRUE(text(IDT_STATUS).starts_with(status)) << label << ": " << text(IDT_STATUS);
        EXPECT_TRUE(asked.empty() ? log().empty()
                                  : !log().empty() && log()[0].starts_with("question: Quorvale3 Write | " + asked))
            << label << ": " << (log().empty() ? "nothing asked" : log()[0]);
        const std::vector<uint8_t> head{kEsc, 'V', kEsc, 'U'};
        EXPECT_EQ(sent ? one_write(app.protocol.encoded_image) : head, fake_serial().written) << label;
        std::vector<HistoryKind> listed;
        for (const HistoryEntry& entry : list_history(kept_in)) listed.push_back(entry.kind);
        EXPECT_EQ(listed, kinds) << label;
        EXPECT_EQ(app.protocol.state, ProtocolState::Idle) << label;
        EXPECT_TRUE(fake_read_only_controls(app.window).empty()) << label << ": the form is released";
    }
}

// A file for another model, written to a tracker that cannot hold all of it:
// the first press stops at the model, the second lists what will be lost.
TEST_F(MainWindow, WhatTheTrackersModelCannotKeepIsListedAsLost) {
    app.record.device_model = 6;
    app.record.frequency_mhz[0] = 145.825f;
    start();
    for (const char* expected : {"Write cancelled: device model changed", "question"}) {
        const std::string reply = "Quorvale3 v1.1";
        fake_serial().incoming.assign(reply.begin(), reply.end());
        click(IDB_WRITE_CONFIG);
        for (int i = 0; i < 50 && app.protocol.state != ProtocolState::Idle; ++i) {
            if (app.protocol.state == ProtocolState::ReadingBeforeWrite && app.protocol.received_image.length == 0) {
                const std::vector<uint8_t> image = held_image(1);
                fake_serial().incoming.assign(image.begin(), image.end());
            }
            on_timer(app);
        }
        EXPECT_EQ(log().empty() ? text(IDT_STATUS) : "question", expected);
    }
    ASSERT_EQ(log().size(), 1u);
    EXPECT_NE(log()[0].find("\nPrimary Frequency: 145.825 \xE2\x86\x92 not kept by model 1 (Quorvale3 v1.1)\n"),
              std::string::npos)
        << log()[0];
    EXPECT_EQ(log()[0].find("Secondary Frequency"), std::string::npos) << "a default is no loss";
}

TEST_F(MainWindow, AWriteConfirmedOnlyAfterAnotherWriteBeganIsRefused) {
    app.record.device_model = 4;
    start();
    type(IDE_PATH, "WIDE1-1,WIDE4-4");
    fake_host().answers = {true};
    // The window's events go on under the question: another write begins.
    fake_host().while_asking = [this] { app.protocol.state = ProtocolState::QueryVersionForWrite; };
    click(IDB_WRITE_CONFIG);
    EXPECT_EQ(log().size(), 1u);
    EXPECT_EQ(app.protocol.status_line, "Write in progress, please wait");
    EXPECT_TRUE(fake_serial().opened.empty());
}

// From the click on Write Config to the end of the write no field can be
// changed; however the write ends, the rules' enabling is as without the hold.
TEST_F(MainWindow, TheFormIsHeldDuringAWriteAndReleasedHoweverItEnds) {
    const auto held = [this] {  // each field's edit read-only, each of its boxes and lists disabled
        const std::vector<int> read_only = fake_read_only_controls(app.window);
        return std::all_of(kMainWindowLayout.controls.begin(), kMainWindowLayout.controls.end(), [&](const auto& c) {
            const bool edit_held = std::count(read_only.begin(), read_only.end(), c.id) == 1;
            return !find_config_field(c.field) || (c.kind == ControlKind::Edit ? edit_held : !enabled(c.id));
        });
    };
    using enum ExchangeOutcome;
    for (const ExchangeOutcome end : {Written, VerifyFailedBytes, PortLostDuringWrite, NotFound}) {
        app = App{};
        app.window = new_fake_window();
        start_write();
        on_tab_changed(app, Secondary);  // the other bank may be looked at
        EXPECT_TRUE(held()) << "during the version query";
        ImageBytes image = app.protocol.encoded_image;
        image[1] ^= end == VerifyFailedBytes ? 0xFF : 0;
        if (end == NotFound) fake_serial().incoming.clear();
        else tick_until(ProtocolState::WritingConfig);
        EXPECT_TRUE(held()) << "once the image goes out";
        fake_serial().gone = end == PortLostDuringWrite;
        if (end == Written || end == VerifyFailedBytes) finish_write(image);
        tick_until(ProtocolState::Idle);
        const WindowHandle fresh = new_fake_window();  // the rules' enabling of the form as it is now
        show_bound_fields(fresh, kMainWindowLayout, app.record);
        update_enabling(fresh, kMainWindowRules, app.record);
        EXPECT_TRUE(app.protocol.outcome == end && fake_read_only_controls(app.window).empty());
        EXPECT_EQ(fake_disabled_controls(app.window), fake_disabled_controls(fresh)) << static_cast<int>(end);
    }
}

TEST_F(MainWindow, QuittingDuringAWriteAsksAndCancelKeepsItGoing) {
    start_write();
    tick_until(ProtocolState::WritingConfig);
    const std::string question = std::string("question: Quorvale3 Write | ") + kQuitDuringWriteQuestion;
    click(IDB_QUIT);  // Esc arrives as the same command
    EXPECT_EQ(log(), (std::vector<std::string>{question}));
    const size_t sent = fake_serial().written.size();
    on_timer(app);
    EXPECT_EQ(fake_serial().written.size(), sent + 32) << "Cancel keeps the write going";

    fake_host().answers = {true};
    on_quit_request(app);  // the close box
    EXPECT_EQ(log(), (std::vector<std::string>{question, question, "quit"}));
}

TEST_F(MainWindow, RequestsToEndWaitForTheWriteToBeVerifiedOrAbandonItOnTheSecond) {
    EXPECT_TRUE(session_may_end(app)) << "no write: the session may end at once";
    const std::string finishing = std::string("stderr: ") + kFinishingWriteLine;
    const std::string abandoned = std::string("stderr: ") + kWriteAbandonedLine;
    // (state they come in, Idle before any write; 's' a signal, 'e' the session's end; the log; whole image sent)
    for (const auto& [at, requests, want_log, whole_image] :
         std::vector<std::tuple<ProtocolState, std::string, std::vector<std::string>, bool>>{
             {ProtocolState::Idle, "s", {"quit"}, false},
             {ProtocolState::QueryVersionForWrite, "ss", {"quit"}, false},
             {ProtocolState::VerifyingConfig, "s", {finishing, "quit"}, true},
             {ProtocolState::WritingConfig, "sss", {finishing, abandoned, "quit 130"}, false},
             {ProtocolState::WritingConfig, "ees", {finishing, "quit"}, true}}) {
        reset_fake_host();
        fake_serial() = FakeSerial{};
        app = App{};
        app.window = new_fake_window();
        if (at != ProtocolState::Idle) start_write();
        tick_until(at);
        const ImageBytes image = app.protocol.encoded_image;
        for (const char kind : requests) {
            if (kind == 's') on_end_request(app);
            else EXPECT_FALSE(session_may_end(app)) << "during a write the session waits";
        }
        if (app.ending != Ending::Now) finish_write(image);
        on_timer(app);  // a quit already posted is not posted again
        EXPECT_EQ(log(), want_log) << requests << " at state " << static_cast<int>(at);
        const std::vector<uint8_t>& sent = fake_serial().written;
        EXPECT_EQ(std::search(sent.begin(), sent.end(), image.begin(), image.end()) != sent.end(), whole_image);
        EXPECT_EQ(app.port.handle, kNoHandle) << "the port is closed on the way out";
    }
}

TEST_F(MainWindow, AFailedLoadStillShowsTheRecordAndAppliesTheEnabling) {
    write_bytes(folder.file("bad.qv3"), "XXXXXXXX");
    app.record.device_model = 4;
    start();
    ASSERT_TRUE(enabled(IDB_EDIT_TELEMETRY));
    type(IDE_CALLSIGN, "UNSAVED");
    click(IDB_LOAD);  // cancelled
    EXPECT_EQ(text(IDE_CALLSIGN), "UNSAVED");

    fake_host().open_path = folder.file("bad.qv3");
    click(IDB_LOAD);
    EXPECT_EQ(app.protocol.status_line, "Invalid File Format");
    EXPECT_EQ(app.record.device_model, 0);
    EXPECT_EQ(text(IDE_CALLSIGN), "NOCALL");
    EXPECT_FALSE(enabled(IDB_EDIT_TELEMETRY));
}

TEST_F(MainWindow, TestTonesGoToTheSelectedPortAndNothingElse) {
    start();
    type(IDC_PORT, "COM5");
    for (const int id : {IDB_SEND_1200, IDB_SEND_2200, IDB_SEND_BOTH, IDB_STOP_TEST}) click(id);
    EXPECT_EQ(fake_serial().written,
              (std::vector<uint8_t>{kEsc, kEsc, '1', kEsc, kEsc, '2', kEsc, kEsc, '3', kEsc, kEsc, kEsc}));
    EXPECT_EQ(fake_serial().opened, (std::vector<std::string>(4, "COM5")));
    EXPECT_EQ(app.protocol.state, ProtocolState::Idle);
    EXPECT_TRUE(log().empty());
}

TEST_F(MainWindow, QuitTelemetryAndCheckBoxCommands) {
    start();
    click(IDB_QUIT);
    EXPECT_EQ(log(), (std::vector<std::string>{"quit"}));

    // The telemetry dialog edits the record; the main form is neither stored nor refreshed.
    type(IDE_CALLSIGN, "TYPED");
    fake_host().telemetry_edits = [](WindowHandle dialog) { set_text(dialog, IDE_TELEMETRY_TEXT, "PARM.X"); };
    click(IDB_EDIT_TELEMETRY);
    EXPECT_EQ(app.record.telemetry_text[0], "PARM.X");
    EXPECT_EQ(app.record.callsign[0], "NOCALL");
    EXPECT_EQ(text(IDE_CALLSIGN), "TYPED");

    // The five boxes with exclusions or enabling act through the window's commands.
    const std::vector<std::pair<int, int>> boxes{  // each box, and a control whose enabling it changes
        {IDX_TIME_SLOT, IDE_TIME_SLOT_OFFSET}, {IDX_SMART_BEACON, IDE_SLOW_SPEED},
        {IDX_POWER_SWITCH, IDE_POWER_SWITCH_TIME}, {IDX_SEND_NMEA, IDE_SYMBOL}, {IDX_MIC_E, IDC_MIC_E_PATH}};
    for (const auto& [box, control] : boxes) {
        const bool before = enabled(control);
        toggle(box);
        EXPECT_NE(enabled(control), before) << "control " << control << " after a click on " << box;
    }
    // Other boxes only toggle themselves: no exclusions, no new enabling.
    set_enabled(app.window, IDE_SLOW_SPEED, false);
    toggle(IDX_SEND_DAO);
    click(IDC_PORT);
    EXPECT_FALSE(enabled(IDE_SLOW_SPEED));
}

TEST_F(MainWindow, EveryTimerTickShowsTheStatusLine) {
    start();
    app.protocol.status_line = "Hello";
    on_timer(app);
    EXPECT_EQ(text(IDT_STATUS), "Hello");
    type(IDT_STATUS, "overwritten");
    type(IDE_CALLSIGN, "TYPED");
    on_timer(app);
    EXPECT_EQ(text(IDT_STATUS), "Hello");
    EXPECT_EQ(text(IDE_CALLSIGN), "TYPED") << "an idle step changes nothing else";
}

}  // namespace
}  // namespace qv3::test
