#include "uilib/AppEventFilter.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/CWindowWnd.h"
#include "uilib/WindowHost.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace uilib {
namespace {

WindowHost* HostOf(QObject* object) {
    auto* widget = dynamic_cast<QWidget*>(object);
    return widget ? dynamic_cast<WindowHost*>(widget->window()) : nullptr;
}

// The Windows virtual-key code of a Qt key (0 for keys the program never looks at).
uint32_t VirtualKey(const QKeyEvent* e) {
    const int key = e->key();
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    default:
        break;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return static_cast<uint32_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + static_cast<uint32_t>(key - Qt::Key_F1);
    return 0;
}

// The character a key press types (Enter: 13), 0 for none.
uint32_t Character(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        return 13;
    const QString text = e->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

bool AppEventFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Qt hands an unaccepted key event on to the receiver's parent: act on its first stop.
        auto* previous = dynamic_cast<QWidget*>(lastKeyReceiver_.data());
        const bool passedUp = event == lastKey_ && previous && previous->parentWidget() == watched;
        lastKey_ = event;
        lastKeyReceiver_ = watched;
        if (passedUp)
            return false;
        WindowHost* host = HostOf(watched);
        if (!host || !host->Owner())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        return host->Owner()->PreTranslateKey(VirtualKey(key), Character(key));
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        WindowHost* host = HostOf(watched);
        if (host && host->Manager()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            host->Manager()->SetMousePos(
                host->Client()->mapFromGlobal(mouse->globalPosition().toPoint()));
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace uilib
