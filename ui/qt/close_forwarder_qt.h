// Sends a window's close request (close box, Alt+F4, the window manager) to a function instead of closing.
#pragma once

#include <QObject>

#include <functional>

namespace qv3 {

// Qt reports a close request only to a virtual function; this event filter
// forwards it and refuses the close, leaving the decision to the function.
class CloseForwarder final : public QObject {
public:
    CloseForwarder(QObject* watched, std::function<void()> on_close);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> on_close_;
};

}  // namespace qv3
