#pragma once
// A top-level window of the program. Its handle (GetHWND) is what workers post and send
// messages to from any thread; everything else runs on the UI thread.
#include "uilib/UiTypes.h"

#include <QPoint>
#include <QPointer>
#include <memory>
#include <string>
#include <string_view>

class QWidget;
class CPaintManagerUI;
namespace uilib {
class WindowHost;
struct ModalState;
} // namespace uilib

#ifndef _WIN32
constexpr uint32_t WS_POPUP = 0x80000000u;
constexpr uint32_t WS_VISIBLE = 0x10000000u;
constexpr uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr uint32_t WS_CAPTION = 0x00C00000u;
constexpr uint32_t WS_SYSMENU = 0x00080000u;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
#endif
constexpr uint32_t UI_WNDSTYLE_DIALOG =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;

class CWindowWnd {
public:
    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // The window's handle; null before Create and after the window was destroyed.
    platform::WindowHandle GetHWND() const;
    // The window of a handle, on the UI thread; null when it does not exist (any more).
    static CWindowWnd* FromHandle(platform::WindowHandle handle);

    virtual std::wstring GetWindowClassName() const = 0;
    virtual uint32_t GetClassStyle() const { return 0; }

    // Creates the window: owner (or null), title, style (WS_VISIBLE shows it), extended style
    // (WS_EX_TOOLWINDOW: a tool window of its owner), position and size (CW_USEDEFAULT: the
    // layout's size).
    platform::WindowHandle Create(platform::WindowHandle parent, std::wstring_view title,
                                  uint32_t style, uint32_t exStyle, int x = CW_USEDEFAULT,
                                  int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                                  int cy = CW_USEDEFAULT);
    void ShowWindow(bool show = true);
    // Shows the window over its disabled owner and runs until Close; returns Close's value.
    int ShowModal();
    // Ends the window (queued): its final message follows, a modal run returns `result`.
    void Close(int result = 1);
    void CenterWindow();
    void SetIcon(unsigned resourceId);
    // Moves and sizes the window's client area (screen coordinates, or the owner's for none).
    void MoveWindow(int x, int y, int width, int height);
    QPoint ClientToScreen(const QPoint& client) const;

    // Timer `id` delivers WM_TIMER (wParam = id) every `elapseMs` as the program's clock
    // counts them, until killed. Setting an existing id restarts it.
    bool SetTimer(unsigned id, unsigned elapseMs);
    void KillTimer(unsigned id);

    // The top-level widget (for screenshots and tests) and the client area below it.
    QWidget* GetWidget() const;
    QWidget* GetClientWidget() const;

    // Removes the window without its final message (the library's end).
    void DestroyWithoutFinalMessage();

    // Handles one message on the UI thread (posted, sent, timer, or WM_CLOSE).
    virtual platform::LParam HandleMessage(uint32_t message, platform::WParam wParam,
                                           platform::LParam lParam);
    // A key press inside the window before the focused control sees it; true consumes it.
    virtual bool PreTranslateKey(uint32_t virtualKey, uint32_t character);

protected:
    // After the window was destroyed; the object may delete itself here.
    virtual void OnFinalMessage(platform::WindowHandle handle);
    // The window's content is built here (WindowImplBase).
    virtual void OnCreate() {}
    // Once the window has its layout's size and look (WindowImplBase: InitWindow).
    virtual void OnInit() {}
    // Menus are popups: they close when the user clicks elsewhere.
    virtual bool IsPopupMenu() const { return false; }
    // The manager whose window attributes (size, shadow, caption) shape the window.
    virtual CPaintManagerUI* GetPaintManager() { return nullptr; }

private:
    void Destroy(int result);

    uintptr_t serial_ = 0;
    QPointer<uilib::WindowHost> host_;
    std::shared_ptr<uilib::ModalState> modal_;
    platform::WindowHandle owner_ = nullptr;
};
