// The form_access.h functions over Qt widgets: each control found by id in its dialog's QtForm.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "ui/form_fields.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/port_box_qt.h"
#include "ui/qt/qt_form.h"

namespace qv3 {

namespace {

// Texts cross the seam as UTF-8, what was typed; the form's limits count characters.
std::string utf8_of(const QString& text, std::size_t max_chars) {
    const QByteArray bytes = text.toUtf8();
    return first_characters(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), max_chars);
}

QString qstring_of(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A multi-line field keeps line breaks as CR LF in the record, as a Windows
// edit does; the widget itself holds plain line feeds.
QString with_crlf(const QString& text) {
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return crlf;
}

}  // namespace

QWidget* control_widget(WindowHandle window, int id) {
    const QtForm* form = form_of(window);
    if (form == nullptr) return nullptr;
    const auto found = form->controls.find(id);
    return found == form->controls.end() ? nullptr : found->second;
}

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    QWidget* widget = control_widget(window, id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) return utf8_of(edit->text(), max_chars);
    if (auto* box = qobject_cast<QComboBox*>(widget)) return utf8_of(box->currentText(), max_chars);
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) return utf8_of(with_crlf(text->toPlainText()), max_chars);
    if (auto* label = qobject_cast<QLabel*>(widget)) return utf8_of(label->text(), max_chars);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return utf8_of(button->text(), max_chars);
    return std::string();
}

void set_text(WindowHandle window, int id, std::string_view text) {
    QWidget* widget = control_widget(window, id);
    QString value = qstring_of(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(apply_input_rules(widget, value));
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
        if (box->isEditable()) box->setEditText(value);
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        multi->setPlainText(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    }
}

bool get_check(WindowHandle window, int id) {
    auto* box = qobject_cast<QCheckBox*>(control_widget(window, id));
    return box != nullptr && box->isChecked();
}

void set_check(WindowHandle window, int id, bool checked) {
    // Setting a box from here is no click: the exclusions of a clicked box do
    // not run (the front end forwards the box's toggled signal as its click).
    if (auto* box = qobject_cast<QCheckBox*>(control_widget(window, id))) {
        const QSignalBlocker quiet(box);
        box->setChecked(checked);
    }
}

int get_selection(WindowHandle window, int id) {
    QWidget* widget = control_widget(window, id);
    if (auto* box = qobject_cast<QComboBox*>(widget)) return box->currentIndex();
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) return tabs->currentIndex();
    return -1;
}

void set_selection(WindowHandle window, int id, int index) {
    QWidget* widget = control_widget(window, id);
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        // Selecting a tab from code is no tab switch, as on Windows.
        const QSignalBlocker quiet(tabs);
        if (index >= 0 && index < tabs->count()) tabs->setCurrentIndex(index);
    }
}

void add_list_item(WindowHandle window, int id, std::string_view text, std::string_view description) {
    auto* box = qobject_cast<QComboBox*>(control_widget(window, id));
    if (box == nullptr) return;
    // The one editable box is the port box (make_port_box), whose items carry their port's name.
    if (box->isEditable()) {
        add_port_item(box, {std::string(text.substr(0, text.find('\0'))), std::string(description)});
    } else {
        box->addItem(qstring_of(text));
    }
}

void clear_list(WindowHandle window, int id) {
    if (auto* box = qobject_cast<QComboBox*>(control_widget(window, id))) box->clear();
}

void set_enabled(WindowHandle window, int id, bool enabled) {
    if (QWidget* widget = control_widget(window, id)) widget->setEnabled(enabled);
}

bool is_enabled(WindowHandle window, int id) {
    const QWidget* widget = control_widget(window, id);
    return widget != nullptr && widget->isEnabled();
}

// A read-only field takes the window's colour, as a Windows edit does, so it
// looks held before anyone types into it.
void set_read_only(WindowHandle window, int id, bool read_only) {
    QWidget* widget = control_widget(window, id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setReadOnly(read_only);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) multi->setReadOnly(read_only);
    else return;
    QPalette palette = widget->palette();
    palette.setBrush(QPalette::Base, read_only ? palette.window() : QApplication::palette(widget).base());
    widget->setPalette(palette);
}

void set_focus(WindowHandle window, int id) {
    QWidget* widget = control_widget(window, id);
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) widget = tabs->tabBar();
    if (widget != nullptr) widget->setFocus(Qt::OtherFocusReason);
}

// Qt tells the accessibility bus of the new name (a NameChanged event).
void set_control_name(WindowHandle window, int id, std::string_view name) {
    if (QWidget* widget = control_widget(window, id)) widget->setAccessibleName(qstring_of(name));
}

}  // namespace qv3
