// Centring a window on its screen.
#include "ui/qt/window_placement_qt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qv3 {

void centre_on_screen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    // Before the window is shown its frame is unknown; its own size stands in.
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + area.width() / 2 - size.width() / 2, area.y() + area.height() / 2 - size.height() / 2);
}

}  // namespace qv3
