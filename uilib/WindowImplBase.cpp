#include "uilib/WindowImplBase.h"

#include "uilib/CContainerUI.h"

#include <QDebug>
#include <QWidget>

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    m_pm.RemoveNotifier(this);
    // The controls go with the window's widget; they must not outlive their manager.
    DestroyWithoutFinalMessage();
}

void WindowImplBase::OnCreate() {
    m_pm.SetWindow(this);
    const std::wstring skinFile = GetSkinFile();
    CControlUI* root = CDialogBuilder::Create(skinFile, this, &m_pm);
    if (!root) {
        qWarning() << "window" << QString::fromStdWString(GetWindowClassName()) << "has no layout"
                   << QString::fromStdWString(skinFile);
        root = new CContainerUI;
    }
    m_pm.AttachRoot(root);
    m_pm.AddNotifier(this);
}

void WindowImplBase::OnInit() {
    InitWindow();
}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || !msg.pSender)
        return;
    const std::wstring name = msg.pSender->GetName();
    if (name == L"closebtn")
        Close(1);
    else if (name == L"minbtn" && GetWidget())
        GetWidget()->showMinimized();
}

platform::LParam WindowImplBase::MessageHandler(uint32_t message, platform::WParam wParam,
                                                platform::LParam, bool& handled) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        Close(0);
        handled = true;
    }
    return 0;
}

platform::LParam WindowImplBase::OnChar(uint32_t, platform::WParam, platform::LParam,
                                        bool& handled) {
    handled = false;
    return 0;
}

platform::LParam WindowImplBase::HandleCustomMessage(uint32_t, platform::WParam, platform::LParam,
                                                     bool& handled) {
    handled = false;
    return 0;
}

CControlUI* WindowImplBase::CreateControl(const std::wstring&) {
    return nullptr;
}

platform::LParam WindowImplBase::HandleMessage(uint32_t message, platform::WParam wParam,
                                               platform::LParam lParam) {
    bool handled = false;
    const platform::LParam result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled)
        return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam); // may end the window
}

bool WindowImplBase::PreTranslateKey(uint32_t virtualKey, uint32_t character) {
    bool handled = false;
    MessageHandler(WM_KEYDOWN, virtualKey, 0, handled);
    if (handled)
        return true;
    if (character == 0)
        return false;
    OnChar(WM_CHAR, character, 0, handled);
    return handled;
}
