// Builds a dialog's Qt widgets from its layout table: one widget a control, placed by dialog units.
#include "ui/qt/dialog_builder_qt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>

#include <vector>

#include "ui/control_names.h"
#include "ui/field_binding.h"
#include "ui/qt/port_box_qt.h"
#include "ui/typed_capitals.h"

namespace qv3 {

namespace {

// Windows measures a dialog font's average width over the 52 letters.
constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The input rules of a field, kept on the widget for apply_input_rules.
constexpr const char* kRulesProperty = "qv3Rules";

// Visible height of a list's closed box; the layout's height includes the
// dropped-down list.
constexpr int kClosedListHeight = 14;

int mul_div(int value, int numerator, int denominator) {
    // MulDiv rounds half away from zero; dialog units are never negative here.
    return (value * numerator + denominator / 2) / denominator;
}

bool inside(const DialogRect& inner, const DialogRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool takes_focus(ControlKind kind) {
    switch (kind) {
        case ControlKind::Tabs:
        case ControlKind::Edit:
        case ControlKind::CheckBox:
        case ControlKind::Button:
        case ControlKind::DropList:
        case ControlKind::ComboEdit:
            return true;
        default:
            return false;
    }
}

QString text_of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QWidget* make_edit(const LayoutControl& control) {
    if (control.rules & kRuleMultiLine) {
        // Enter starts a new line; long lines scroll sideways; no scroll bars
        // but where the layout asks for a vertical one;
        // Tab moves on, as in a Windows dialog.
        auto* edit = new QPlainTextEdit;
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const bool scrolls = (control.rules & kRuleScrolls) != 0;
        edit->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        edit->setTabChangesFocus(true);
        return edit;
    }
    auto* edit = new QLineEdit;
    if (control.read_limit > 0) edit->setMaxLength(static_cast<int>(control.read_limit));
    // Digits only as typed; text set by the program is shown as it is.
    if (control.rules & kRuleDigitsOnly) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    if (control.rules & kRuleUpperCase) {
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
            const QString upper = apply_input_rules(edit, text);
            if (upper == text) return;
            const int cursor = edit->cursorPosition();
            edit->setText(upper);
            edit->setCursorPosition(cursor);
        });
    }
    return edit;
}

QWidget* make_control(const LayoutControl& control) {
    switch (control.kind) {
        case ControlKind::Tabs: {
            // One set of controls over the tabs: the pages stay empty. The
            // row of tabs is reached with Tab alone, as a Windows tab
            // control is, and its arrow keys switch banks.
            auto* tabs = new QTabWidget;
            tabs->tabBar()->setFocusPolicy(Qt::TabFocus);
            return tabs;
        }
        case ControlKind::Label:
        case ControlKind::Unit:
        case ControlKind::StatusText: {
            auto* label = new QLabel(text_of(control.text));
            label->setTextFormat(Qt::PlainText);
            const Qt::Alignment side = control.kind == ControlKind::Label ? Qt::AlignRight : Qt::AlignLeft;
            label->setAlignment(side | Qt::AlignVCenter);
            // A screen reader reads the status itself as the name; this says what it is.
            if (control.kind == ControlKind::StatusText) label->setAccessibleDescription(QStringLiteral("Status line"));
            return label;
        }
        case ControlKind::GroupBox: {
            // The caption sits on the frame's top line, as in a Windows dialog,
            // rather than above the frame: the rectangles were laid out for that.
            auto* group = new QGroupBox(text_of(control.text));
            group->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
            return group;
        }
        case ControlKind::Edit:
            return make_edit(control);
        case ControlKind::CheckBox:
            return new QCheckBox(text_of(control.text));
        case ControlKind::Button: {
            auto* button = new QPushButton(text_of(control.text));
            // Enter presses the focused button, as in a Windows dialog.
            button->setAutoDefault(true);
            if (control.rules & kRuleDefault) button->setDefault(true);
            return button;
        }
        case ControlKind::DropList: {
            auto* box = new QComboBox;
            // The chosen item is its list's selected one even while the list is
            // closed, where a screen reader looks for a list's value.
            QObject::connect(box, &QComboBox::currentIndexChanged, box, [box](int index) {
                box->view()->selectionModel()->select(box->model()->index(index, 0),
                                                      QItemSelectionModel::ClearAndSelect);
            });
            return box;
        }
        case ControlKind::ComboEdit: {
            QComboBox* box = make_port_box();
            if (control.read_limit > 0) box->lineEdit()->setMaxLength(static_cast<int>(control.read_limit));
            return box;
        }
    }
    return new QWidget;
}

// The control's rectangle as it stands on the dialog: a list without its drop-down.
DialogRect closed_rect(const LayoutControl& control) {
    DialogRect rect = control.rect;
    if (control.kind == ControlKind::DropList || control.kind == ControlKind::ComboEdit) {
        rect.height = kClosedListHeight;
    }
    return rect;
}

}  // namespace

DialogUnits dialog_units_of(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(text_of(kAlphabet));
    return DialogUnits{(letters / 26 + 1) / 2, metrics.height()};
}

QRect to_pixels(const DialogRect& rect, DialogUnits units) {
    const int left = mul_div(rect.x, units.char_width, 4);
    const int top = mul_div(rect.y, units.char_height, 8);
    const int width = mul_div(rect.width, units.char_width, 4);
    const int height = mul_div(rect.height, units.char_height, 8);
    return QRect(left, top, width, height);
}

void on_click(QWidget* widget, QObject* receiver, std::function<void()> clicked) {
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        // A screen reader's toggle changes the box without a click signal; the
        // program's own changes are made with signals blocked.
        QObject::connect(box, &QCheckBox::toggled, receiver, [clicked](bool) { clicked(); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::clicked, receiver, [clicked] { clicked(); });
    }
}

QString apply_input_rules(const QWidget* field, const QString& text) {
    if (field == nullptr || !(field->property(kRulesProperty).toUInt() & kRuleUpperCase)) return text;
    // Each character stays one of the same length, so a cursor position keeps its place.
    const QByteArray typed = text.toUtf8();
    return text_of(typed_capitals(std::string_view(typed.constData(), static_cast<std::size_t>(typed.size()))));
}

void build_dialog(QWidget& dialog, const DialogLayout& layout, QtForm& form) {
    form.dialog = &dialog;
    QFont font = QApplication::font();
    font.setPointSize(layout.font_points);
    dialog.setFont(font);
    dialog.setWindowTitle(text_of(layout.caption));
    const DialogUnits units = dialog_units_of(font);
    dialog.setFixedSize(to_pixels(DialogRect{0, 0, layout.width, layout.height}, units).size());

    struct Group {
        DialogRect rect;
        QWidget* widget;
    };
    std::vector<Group> groups;
    std::vector<QWidget*> focus_order;
    std::vector<std::pair<const LayoutControl*, QWidget*>> made;

    for (const LayoutControl& control : layout.controls) {
        QWidget* widget = make_control(control);
        widget->setProperty(kRulesProperty, control.rules);
        QWidget* parent = &dialog;
        QPoint origin(0, 0);
        if (control.kind != ControlKind::GroupBox && control.kind != ControlKind::Tabs) {
            for (const Group& group : groups) {
                if (inside(closed_rect(control), group.rect)) {
                    parent = group.widget;
                    origin = to_pixels(group.rect, units).topLeft();
                }
            }
        }
        widget->setParent(parent);
        widget->setGeometry(to_pixels(closed_rect(control), units).translated(-origin));
        if (control.kind == ControlKind::GroupBox) groups.push_back(Group{control.rect, widget});
        if (control.id != kNoControlId) form.controls[control.id] = widget;
        // A bound field's meaning, as the Windows window shows it.
        if (const std::string_view help = control_help(layout, control.id); !help.empty()) {
            widget->setToolTip(text_of(help));
        }
        // The layout's name for every control a screen reader says by name;
        // the status line's name is its text.
        if (control.kind != ControlKind::StatusText) widget->setAccessibleName(text_of(control_name(layout, control.id)));
        // An editable box's field is what a screen reader lands on: it says the box's name.
        if (auto* box = qobject_cast<QComboBox*>(widget); box != nullptr && box->lineEdit() != nullptr) {
            box->lineEdit()->setAccessibleName(widget->accessibleName());
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            focus_order.push_back(tabs->tabBar());
        } else if (takes_focus(control.kind)) {
            focus_order.push_back(widget);
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        made.emplace_back(&control, widget);
    }

    // A label is its control's buddy: clicking it gives the control the focus,
    // and a screen reader finds the label beside the control's name.
    for (const auto& [control, widget] : made) {
        if (control->kind != ControlKind::Label) continue;
        const auto described = form.controls.find(control->describes);
        if (described != form.controls.end()) static_cast<QLabel*>(widget)->setBuddy(described->second);
    }
    for (std::size_t i = 1; i < focus_order.size(); ++i) QWidget::setTabOrder(focus_order[i - 1], focus_order[i]);
}

}  // namespace qv3
