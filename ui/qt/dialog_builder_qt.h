// Qt widgets made from a dialog layout of ui/: sizes from dialog units, input rules, names for screen readers, tab order.
#pragma once

#include <QRect>
#include <QString>

#include <functional>

#include "ui/dialog_layout.h"
#include "ui/qt/qt_form.h"

class QFont;
class QObject;
class QWidget;

namespace qv3 {

// Pixels per 4 horizontal and per 8 vertical dialog units: the font's average
// character width and its height, measured as Windows measures a dialog font.
struct DialogUnits {
    int char_width = 0;
    int char_height = 0;
};

DialogUnits dialog_units_of(const QFont& font);

// A rectangle in dialog units as pixels, rounded as MapDialogRect rounds.
QRect to_pixels(const DialogRect& rect, DialogUnits units);

// Gives dialog the layout's caption, font and fixed size, creates every control
// of the layout on it and records the controls with an id in form. A control
// that lies inside a group box becomes the box's child, so that a screen reader
// names the group with it; the keyboard order stays the layout's order.
void build_dialog(QWidget& dialog, const DialogLayout& layout, QtForm& form);

// Calls clicked, with receiver as the connection's context, when the user
// clicks the button or check box widget (with the mouse, the keyboard, or a
// screen reader's press or toggle); other widgets are left alone.
void on_click(QWidget* widget, QObject* receiver, std::function<void()> clicked);

// The text as the field's input rules make it (capitals for an upper-case field).
QString apply_input_rules(const QWidget* field, const QString& text);

}  // namespace qv3
