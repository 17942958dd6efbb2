#pragma once
// Types shared by the controls and the windows: notifications, window message numbers and
// virtual-key codes (the Windows values, so that one switch reads the same on every system).
#include "platform/Messaging.h"

#include <QPoint>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <dbt.h>
#include <windows.h>
#else
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_DEVICECHANGE = 0x0219;
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t DBT_DEVICEARRIVAL = 0x8000;
constexpr uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr uint32_t VK_BACK = 0x08;
constexpr uint32_t VK_TAB = 0x09;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_SPACE = 0x20;
constexpr uint32_t VK_LEFT = 0x25;
constexpr uint32_t VK_UP = 0x26;
constexpr uint32_t VK_RIGHT = 0x27;
constexpr uint32_t VK_DOWN = 0x28;
constexpr uint32_t VK_DELETE = 0x2E;
#endif

// Posted to the owner window when a menu entry is clicked (CMenuWnd::GetClickedMenuName).
constexpr uint32_t WM_MENUCLICK = WM_USER + 121;

class CControlUI;

// Marks a control name kept in a table rather than written in a FindControl call, so that the
// check of the code against the skin's layouts finds it.
constexpr const wchar_t* ControlName(const wchar_t* name) {
    return name;
}

// One control event: its type ("click", "selectchanged", "textchanged", "killfocus",
// "itemclick", "link"), the control that raised it, and the mouse position in the client
// coordinates of the sender's window.
struct TNotifyUI {
    std::wstring sType;
    CControlUI* pSender = nullptr;
    QPoint ptMouse;
    platform::WParam wParam = 0;
    platform::LParam lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};
