#pragma once
// Watches the application's input for the windows of the library: key presses reach the
// window (CWindowWnd::PreTranslateKey) before the focused control, and mouse events record the
// position that notifications carry. Internal to the library.
#include <QObject>
#include <QPointer>

namespace uilib {

class AppEventFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The key event being passed up from the focused control to its parents (seen once).
    const QEvent* lastKey_ = nullptr;
    QPointer<QObject> lastKeyReceiver_;
};

} // namespace uilib
