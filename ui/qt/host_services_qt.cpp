// The host_services.h functions over Qt: message boxes, the save and open file dialogs, the file manager, quitting, standard error.
#include "ui/host_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cstdio>
#include <string>

#include "ui/qt/qt_form.h"

namespace qv3 {

namespace {

constexpr const char* kConfigFilter = "Quorvale3 Files (*.qv3)";
constexpr const char* kConfigExtension = "qv3";

QString qstring_of(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Once a modal window has closed, the main window takes the keyboard back
// (a window manager does this too; without one nothing else would).
void reactivate(WindowHandle owner) {
    if (const QtForm* form = form_of(owner); form != nullptr && form->dialog != nullptr) form->dialog->activateWindow();
}

// No owner window and no icon, as on Windows; plain text, never markup.
int run_box(WindowHandle owner, std::string_view caption, std::string_view text, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton default_button) {
    QMessageBox box(QMessageBox::NoIcon, qstring_of(caption), qstring_of(text), buttons);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(default_button);
    box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok);
    // Plain buttons, as the Windows boxes have, whatever the style's habit.
    for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
    const int answer = box.exec();
    reactivate(owner);
    return answer;
}

// The file dialog of both commands: the .qv3 filter and extension, Qt's own
// dialog so that it looks and behaves the same on every desktop.
std::optional<std::string> run_file_dialog(WindowHandle owner, QFileDialog::AcceptMode mode, const QString& initial_name) {
    QFileDialog dialog(nullptr);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    // Save asks before replacing a file (Qt's default); Open takes a name
    // that does not exist yet, and the load reports it missing.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromUtf8(kConfigFilter));
    dialog.setDefaultSuffix(QString::fromUtf8(kConfigExtension));
    if (!initial_name.isEmpty()) dialog.selectFile(initial_name);
    const int answer = dialog.exec();
    reactivate(owner);
    if (answer != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

bool ask_ok_cancel(WindowHandle owner, std::string_view caption, std::string_view text) {
    return run_box(owner, caption, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

void show_notice(WindowHandle owner, std::string_view caption, std::string_view text) {
    run_box(owner, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::optional<std::string> choose_save_file(WindowHandle owner, std::string_view initial_name) {
    return run_file_dialog(owner, QFileDialog::AcceptSave, qstring_of(initial_name));
}

std::optional<std::string> choose_open_file(WindowHandle owner) {
    return run_file_dialog(owner, QFileDialog::AcceptOpen, QString());
}

// The desktop's own choice of file manager (xdg-open on Linux); the folder
// is the file system's bytes, as every path here.
bool open_folder(std::string_view folder) {
    if (folder.empty()) return false;
    const QByteArray bytes(folder.data(), static_cast<qsizetype>(folder.size()));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(bytes)));
}

// Every event loop ends once the current event is handled, a message box's
// too; main returns exit_code.
void post_quit_request(WindowHandle, int exit_code) { QCoreApplication::exit(exit_code); }

// One write of the whole line. SIGPIPE is ignored (end_signals_qt.cpp), so a
// reader that has gone makes the write fail, like a hung-up terminal.
void print_to_standard_error(std::string_view line) {
    std::string text(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace qv3
