// The close request forwarded to a function.
#include "ui/qt/close_forwarder_qt.h"

#include <QEvent>

namespace qv3 {

CloseForwarder::CloseForwarder(QObject* watched, std::function<void()> on_close)
    : QObject(watched), on_close_(std::move(on_close)) {
    watched->installEventFilter(this);
}

bool CloseForwarder::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parent() || event->type() != QEvent::Close) return false;
    event->ignore();
    on_close_();
    return true;
}

}  // namespace qv3
