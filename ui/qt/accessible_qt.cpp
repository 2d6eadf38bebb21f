// The accessible interfaces of combo boxes, tab bars and their pages, made by a factory Qt asks before its own.
#include "ui/qt/accessible_qt.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTabBar>

#include <map>

namespace qv3 {

namespace {

// Qt reports these only to virtual functions, so each is a final class that
// overrides what differs from Qt's own interface and nothing more.

// A combo box as Qt's own interface shows it (the list, the field of an
// editable one, the value, opening the list), but named as a widget is.
class NamedComboBox final : public QAccessibleWidget {
public:
    explicit NamedComboBox(QWidget* widget) : QAccessibleWidget(widget, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? box()->currentText() : QAccessibleWidget::text(t);
    }
    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
        if (index == 1 && box()->isEditable()) return QAccessible::queryAccessibleInterface(box()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (child != nullptr && child == this->child(i)) return i;
        }
        return -1;
    }
    // An editable box's field holds the keyboard focus for it.
    QAccessibleInterface* focusChild() const override { return box()->isEditable() ? child(1) : nullptr; }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) return;
        if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

// One tab: selected when it is the current one, focused only then and while
// the bar has the keyboard focus; pressing it selects it.
class TabInterface final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabInterface(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return !bar_.isNull() && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) return QString(bar_->tabText(index_)).remove(QChar(u'&'));
        if (t == QAccessible::Description) return bar_->tabToolTip(index_);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        return bar_->tabRect(index_).translated(bar_->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        state.invisible = !bar_->isVisible();
        state.focusable = bar_->focusPolicy() != Qt::NoFocus;
        state.selectable = true;
        state.selected = index_ == bar_->currentIndex();
        state.focused = state.selected && bar_->hasFocus();
        return state;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction()) bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

// The row of tabs: its tabs, and not the scroll buttons Qt's own interface
// lists after them although they stay hidden.
class TabRow final : public QAccessibleWidget {
public:
    explicit TabRow(QWidget* widget) : QAccessibleWidget(widget, QAccessible::PageTabList) {}
    ~TabRow() override {
        for (const auto& [index, id] : tabs_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= bar()->count()) return nullptr;
        const auto known = tabs_.find(index);
        if (known != tabs_.end()) return QAccessible::accessibleInterface(known->second);
        auto* tab = new TabInterface(bar(), index);
        tabs_[index] = QAccessible::registerAccessibleInterface(tab);
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [index, id] : tabs_) {
            if (QAccessible::accessibleInterface(id) == child) return index;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return child(bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y))));
    }
    QAccessibleInterface* focusChild() const override {
        return bar()->hasFocus() ? child(bar()->currentIndex()) : nullptr;
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }

    mutable std::map<int, QAccessible::Id> tabs_;
};

// The pages under a row of tabs: the one shown, not the others Qt's own
// interface lists, hidden.
class ShownPage final : public QAccessibleWidget {
public:
    explicit ShownPage(QWidget* widget) : QAccessibleWidget(widget, QAccessible::LayeredPane) {}

    int childCount() const override { return pages()->currentWidget() != nullptr ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(pages()->currentWidget()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == pages()->currentWidget() ? 0 : -1;
    }

private:
    QStackedWidget* pages() const { return static_cast<QStackedWidget*>(widget()); }
};

QAccessibleInterface* make_interface(const QString& class_name, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) return nullptr;
    if (class_name == QStringLiteral("QComboBox")) return new NamedComboBox(widget);
    if (class_name == QStringLiteral("QTabBar")) return new TabRow(widget);
    if (class_name == QStringLiteral("QStackedWidget")) return new ShownPage(widget);
    return nullptr;
}

}  // namespace

void install_accessible_interfaces() { QAccessible::installFactory(make_interface); }

}  // namespace qv3
