// The port box over QComboBox: descriptions in the list, the bare port name in the field.
#include "ui/qt/port_box_qt.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

namespace qv3 {

namespace {

// The item's port name, for the field; an item without one is a placeholder.
constexpr int kPortNameRole = Qt::UserRole;

// QComboBox offers no signal before its list opens, only this virtual
// function; the subclass forwards it and adds nothing else.
class PortBox final : public QComboBox {
public:
    std::function<void()> before_popup;

    void showPopup() override {
        if (before_popup) before_popup();
        QComboBox::showPopup();
    }
};

QString name_of(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }

}  // namespace

QComboBox* make_port_box() {
    auto* box = new PortBox;
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    // An item shows "name  description"; once chosen, the field holds the name.
    QObject::connect(box, &QComboBox::currentIndexChanged, box, [box](int index) {
        const QVariant name = box->itemData(index, kPortNameRole);
        if (name.isValid()) box->lineEdit()->setText(name.toString());
    });
    return box;
}

void on_port_box_opening(QComboBox* box, std::function<void()> refresh) {
    if (auto* ports = dynamic_cast<PortBox*>(box)) ports->before_popup = std::move(refresh);
}

void add_port_item(QComboBox* box, const PortInfo& port) {
    const QString name = name_of(port.name);
    QString shown = name;
    if (!port.description.empty()) shown += QStringLiteral("  ") + QString::fromStdString(port.description);
    // No further item data: a change to the chosen item's data would put
    // its shown text back into the field.
    box->addItem(shown, name);
}

void fill_port_box(QComboBox* box, const std::vector<PortInfo>& ports, const std::string& placeholder) {
    const QString text = box->currentText();
    box->clear();
    for (const PortInfo& port : ports) add_port_item(box, port);
    if (ports.empty()) box->addItem(QString::fromStdString(placeholder));
    // Adding the first item chose it; a name typed or chosen before is kept.
    if (!text.isEmpty() && text != QString::fromStdString(placeholder)) choose_port(box, text.toStdString());
}

void choose_port(QComboBox* box, const std::string& name) {
    const int index = box->findData(name_of(name), kPortNameRole);
    if (index >= 0) {
        box->setCurrentIndex(index);
        box->lineEdit()->setText(name_of(name));
    } else {
        box->setEditText(name_of(name));
    }
}

}  // namespace qv3
