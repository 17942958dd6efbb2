#include "uilib/CWindowWnd.h"

#include "uilib/CControlUI.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/ModalHook.h"
#include "uilib/WindowHost.h"
#include "uilib/WindowRegistry.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace uilib {
struct ModalState {
    int result = 0;
    bool done = false;
    QEventLoop* loop = nullptr;
};
} // namespace uilib

using uilib::WindowHost;
using uilib::WindowRegistry;

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
    if (serial_)
        WindowRegistry::Remove(serial_);
    if (host_) {
        host_->Detach();
        delete host_.data();
    }
}

platform::WindowHandle CWindowWnd::GetHWND() const {
    return host_ ? reinterpret_cast<platform::WindowHandle>(serial_) : nullptr;
}

CWindowWnd* CWindowWnd::FromHandle(platform::WindowHandle handle) {
    return WindowRegistry::Find(reinterpret_cast<uintptr_t>(handle));
}

platform::WindowHandle CWindowWnd::Create(platform::WindowHandle parent, std::wstring_view title,
                                          uint32_t style, uint32_t exStyle, int x, int y, int cx,
                                          int cy) {
    if (host_)
        return GetHWND();
    owner_ = parent;
    CWindowWnd* ownerWindow = FromHandle(parent);
    QWidget* parentWidget = ownerWindow ? ownerWindow->GetWidget() : nullptr;
    Qt::WindowFlags flags = (exStyle & WS_EX_TOOLWINDOW) ? Qt::Tool : Qt::Window;
    if (parentWidget && !(exStyle & WS_EX_TOOLWINDOW))
        flags = Qt::Dialog;
    if (IsPopupMenu())
        flags = Qt::Popup;
    host_ = new WindowHost(this, parentWidget, flags);
    host_->setWindowTitle(QString::fromStdWString(std::wstring(title)));
    host_->setObjectName(QString::fromStdWString(GetWindowClassName()));
    serial_ = WindowRegistry::Add(this);
    if (cx != CW_USEDEFAULT && cy != CW_USEDEFAULT)
        host_->resize(cx, cy);
    if (x != CW_USEDEFAULT && y != CW_USEDEFAULT)
        host_->move(x, y);
    OnCreate();
    if (CPaintManagerUI* pm = GetPaintManager())
        host_->SetManager(pm);
    OnInit();
    if (style & WS_VISIBLE)
        ShowWindow(true);
    return GetHWND();
}

void CWindowWnd::ShowWindow(bool show) {
    if (!host_)
        return;
    if (!show) {
        host_->hide();
        return;
    }
    host_->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        host_->raise();
    host_->activateWindow();
}

int CWindowWnd::ShowModal() {
    if (!host_)
        return -1;
    auto state = std::make_shared<uilib::ModalState>();
    modal_ = state;
    host_->setWindowModality(host_->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    ShowWindow(true);
    QEventLoop loop;
    state->loop = &loop;
    CPaintManagerUI::EnterLoop(&loop);
    if (const uilib::ModalHook& hook = uilib::CurrentModalHook()) {
        const uintptr_t serial = serial_;
        QTimer::singleShot(0, &loop, [serial, hook] {
            if (CWindowWnd* window = WindowRegistry::Find(serial))
                hook(*window);
        });
    }
    if (!state->done && !CPaintManagerUI::QuitPosted())
        loop.exec();
    CPaintManagerUI::LeaveLoop(&loop);
    state->loop = nullptr;
    return state->result; // `this` may be gone by now
}

void CWindowWnd::Close(int result) {
    if (serial_)
        WindowRegistry::Post(serial_, WM_CLOSE, static_cast<platform::WParam>(result), 0);
}

void CWindowWnd::Destroy(int result) {
    const platform::WindowHandle handle = GetHWND();
    if (!handle)
        return;
    if (auto state = std::move(modal_)) {
        state->result = result;
        state->done = true;
        if (state->loop)
            state->loop->exit(0);
    }
    WindowRegistry::Remove(serial_);
    if (CPaintManagerUI* pm = GetPaintManager(); pm && pm->GetRoot())
        pm->GetRoot()->SetOwner(nullptr, nullptr); // the manager may go before the widgets
    host_->hide();
    host_->Detach();
    host_->deleteLater();
    host_ = nullptr;
    OnFinalMessage(handle);
}

void CWindowWnd::DestroyWithoutFinalMessage() {
    if (!host_)
        return;
    WindowRegistry::Remove(serial_);
    host_->Detach();
    delete host_.data();
    host_ = nullptr;
}

void CWindowWnd::CenterWindow() {
    if (!host_)
        return;
    QRect area;
    if (QWidget* parent = host_->parentWidget())
        area = parent->frameGeometry();
    else if (QScreen* screen = host_->screen() ? host_->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        host_->move(area.center() - host_->rect().center());
}

void CWindowWnd::SetIcon(unsigned resourceId) {
    if (!host_)
        return;
    const QByteArray data = CPaintManagerUI::LoadResource(static_cast<int>(resourceId), "ICON");
    QPixmap pixmap;
    if (!data.isEmpty() && pixmap.loadFromData(data))
        host_->setWindowIcon(QIcon(pixmap));
}

void CWindowWnd::MoveWindow(int x, int y, int width, int height) {
    if (!host_)
        return;
    host_->SetClientSize(QSize(width, height));
    host_->move(x - host_->ShadowMargin(), y - host_->ShadowMargin());
}

QPoint CWindowWnd::ClientToScreen(const QPoint& client) const {
    return host_ ? host_->Client()->mapToGlobal(client) : client;
}

bool CWindowWnd::SetTimer(unsigned id, unsigned elapseMs) {
    if (!serial_ || !host_)
        return false;
    WindowRegistry::SetTimer(serial_, id, elapseMs);
    return true;
}

void CWindowWnd::KillTimer(unsigned id) {
    WindowRegistry::KillTimer(serial_, id);
}

QWidget* CWindowWnd::GetWidget() const {
    return host_;
}

QWidget* CWindowWnd::GetClientWidget() const {
    return host_ ? host_->Client() : nullptr;
}

platform::LParam CWindowWnd::HandleMessage(uint32_t message, platform::WParam wParam,
                                           platform::LParam) {
    if (message == WM_CLOSE)
        Destroy(static_cast<int>(wParam));
    return 0;
}

bool CWindowWnd::PreTranslateKey(uint32_t, uint32_t) {
    return false;
}

void CWindowWnd::OnFinalMessage(platform::WindowHandle) {}
