// The Qt side of the seams: controls by id, UTF-8 texts, input rules, accessible names, questions, the port box.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QValidator>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/host_services.h"
#include "ui/qt/accessible_qt.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/port_box_qt.h"

namespace qv3 {
namespace {

class QtSeams : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() != nullptr) return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "qt_seams_tests";
        static char* argv[] = {name, nullptr};
        static QApplication application(argc, argv);
        install_accessible_interfaces();
    }

    WindowHandle build(const DialogLayout& layout) {
        build_dialog(dialog, layout, form);
        return handle_of(form);
    }

    QWidget dialog;
    QtForm form;
};

TEST_F(QtSeams, ControlsAreReachedByIdWithTheirInputRules) {
    const WindowHandle window = build(kMainWindowLayout);
    set_text(window, IDE_CALLSIGN, "n0call-7");  // an upper-case field, as on Windows even when set
    EXPECT_EQ(get_text(window, IDE_CALLSIGN, 299), "N0CALL-7");
    EXPECT_EQ(get_text(window, IDE_CALLSIGN, 3), "N0C");
    set_text(window, IDE_STATUS_TEXT, std::string_view("ab\0cd", 5));
    EXPECT_EQ(get_text(window, IDE_STATUS_TEXT, 299), "ab");

    set_check(window, IDX_MIC_E, true);
    EXPECT_TRUE(get_check(window, IDX_MIC_E));
    add_list_item(window, IDC_TIMESTAMP, "None");
    add_list_item(window, IDC_TIMESTAMP, "HMS");
    set_selection(window, IDC_TIMESTAMP, 1);
    EXPECT_EQ(get_selection(window, IDC_TIMESTAMP), 1);
    set_selection(window, IDC_TIMESTAMP, 2);  // outside the list: nothing selected
    EXPECT_EQ(get_selection(window, IDC_TIMESTAMP), -1);
    set_enabled(window, IDE_FREQUENCY, false);
    EXPECT_FALSE(is_enabled(window, IDE_FREQUENCY));

    // No such control: empty, unchecked, unselected, disabled.
    EXPECT_EQ(get_text(window, 4242, 299), "");
    EXPECT_FALSE(get_check(window, 4242));
    EXPECT_EQ(get_selection(window, 4242), -1);
    EXPECT_FALSE(is_enabled(window, 4242));

    // Digits only as typed; the program's own text is shown as it is.
    auto* txd = qobject_cast<QLineEdit*>(control_widget(window, IDE_AUTO_TXD));
    ASSERT_NE(txd, nullptr);
    QString typed = QStringLiteral("12a");
    int position = 3;
    EXPECT_EQ(txd->validator()->validate(typed, position), QValidator::Invalid);
    set_text(window, IDE_CALIBRATION, "-5");
    EXPECT_EQ(get_text(window, IDE_CALIBRATION, 99), "-5");
}

TEST_F(QtSeams, TextsCrossAsUtf8AndScreenReadersHearDropListsByTheirLabel) {
    const WindowHandle window = build(kMainWindowLayout);
    set_text(window, IDE_PATH, "aßbÿcµ-Ω");  // (characters the font has: fontconfig looks for no other)
    EXPECT_EQ(get_text(window, IDE_PATH, 7), "AßBÿCµ-");
    add_list_item(window, IDC_MIC_E_PATH, "Conventional");
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(control_widget(window, IDC_MIC_E_PATH));
    EXPECT_EQ(list->text(QAccessible::Name) + "/" + list->text(QAccessible::Value), "Mic-E Path/Conventional");
}

TEST_F(QtSeams, DefinitionTextKeepsCrLfLineBreaks) {
    const WindowHandle dialog_handle = build(kTelemetryDialogLayout);
    set_text(dialog_handle, IDE_TELEMETRY_TEXT, "T1\r\nT2");
    EXPECT_EQ(get_text(dialog_handle, IDE_TELEMETRY_TEXT, 299), "T1\r\nT2");
    EXPECT_EQ(get_text(dialog_handle, IDE_TELEMETRY_TEXT, 3), "T1\r");
}

TEST_F(QtSeams, OnlyAClickOrAScreenReaderToggleCountsAsAClick) {
    const WindowHandle window = build(kMainWindowLayout);
    int clicks = 0;
    on_click(control_widget(window, IDX_SEND_NMEA), &dialog, [&clicks] { ++clicks; });
    set_check(window, IDX_SEND_NMEA, true);  // the form showing the record
    EXPECT_EQ(clicks, 0);
    auto* box = qobject_cast<QCheckBox*>(control_widget(window, IDX_SEND_NMEA));
    box->toggle();  // what a screen reader's toggle action does
    box->click();
    EXPECT_EQ(clicks, 2);
}

TEST_F(QtSeams, QuestionsDefaultToCancel) {
    struct Seen {
        QString title, text, default_button;
    } seen;
    // answer: the button the user presses once the box is open; nothing for Esc.
    const auto ask_and_answer = [&seen](QMessageBox::StandardButton answer) {
        QTimer::singleShot(0, [&seen, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = {box->windowTitle(), box->text(), box->defaultButton()->text()};
            if (answer == QMessageBox::NoButton) {
                box->reject();  // Esc
            } else {
                box->button(answer)->click();
            }
        });
        return ask_ok_cancel(0, "Quorvale3 Write", "Are you sure?");
    };
    EXPECT_TRUE(ask_and_answer(QMessageBox::Ok));
    EXPECT_EQ(seen.title, "Quorvale3 Write");
    EXPECT_EQ(seen.text, "Are you sure?");
    EXPECT_EQ(seen.default_button, QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::Cancel)
                                       .button(QMessageBox::Cancel)->text());
    EXPECT_FALSE(ask_and_answer(QMessageBox::Cancel));
    EXPECT_FALSE(ask_and_answer(QMessageBox::NoButton));
}

TEST_F(QtSeams, PortBoxKeepsATypedPathAcrossRefreshes) {
    const WindowHandle window = build(kMainWindowLayout);
    add_list_item(window, IDC_PORT, "/dev/ttyUSB0", "FTDI FT232R");  // the fill at start
    auto* const box = qobject_cast<QComboBox*>(control_widget(window, IDC_PORT));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->itemText(0), "/dev/ttyUSB0  FTDI FT232R");
    EXPECT_EQ(box->currentText(), "/dev/ttyUSB0");  // the name alone, ready for the port

    const std::vector<PortInfo> ports{{"/dev/ttyUSB0", "FTDI FT232R"}, {"/dev/ttyUSB1", ""}};

    box->setEditText("/dev/pts/7");  // typed
    fill_port_box(box, ports, "No COM Ports Found");
    EXPECT_EQ(box->currentText(), "/dev/pts/7");

    choose_port(box, "/dev/ttyUSB1");
    EXPECT_EQ(box->currentIndex(), 1);
    EXPECT_EQ(box->currentText(), "/dev/ttyUSB1");

    fill_port_box(box, {}, "No COM Ports Found");
    EXPECT_EQ(box->currentText(), "/dev/ttyUSB1");  // unplugged, still what the user chose
    box->setEditText("");
    fill_port_box(box, {}, "No COM Ports Found");
    EXPECT_EQ(box->currentText(), "No COM Ports Found");
}

TEST(DialogUnits, RoundAsMapDialogRect) {
    const QRect pixels = to_pixels(DialogRect{2, 4, 6, 8}, DialogUnits{6, 13});
    EXPECT_EQ(pixels, QRect(3, 7, 9, 13));  // 2*6/4 = 3, 4*13/8 = 6.5 up, 6*6/4 = 9, 8*13/8 = 13
}

}  // namespace
}  // namespace qv3
