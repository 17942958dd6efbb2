#pragma once
// The base of the program's windows: builds the window from the layout file named by
// GetSkinFile, then calls InitWindow; routes control events to Notify, key presses to
// MessageHandler (key-down) and OnChar (the typed character) before the focused control, and
// every window message to HandleCustomMessage before the library's own handling.
#include "uilib/CDialogBuilder.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/CWindowWnd.h"

class WindowImplBase : public CWindowWnd, public INotifyUI, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual std::wstring GetSkinFile() = 0;
    virtual void InitWindow() {}

    // Base handling: a click on "closebtn" closes the window (1), on "minbtn" minimises it.
    void Notify(TNotifyUI& msg) override;
    // Sees WM_KEYDOWN (wParam: the virtual key) first; `handled` consumes the key. Base: Escape
    // closes the window with 0.
    virtual platform::LParam MessageHandler(uint32_t message, platform::WParam wParam,
                                            platform::LParam lParam, bool& handled);
    // Sees WM_CHAR (wParam: the character, 13 for Enter) after MessageHandler left the key.
    virtual platform::LParam OnChar(uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam, bool& handled);
    // Sees every window message first; `handled` keeps the library from handling it too.
    virtual platform::LParam HandleCustomMessage(uint32_t message, platform::WParam wParam,
                                                 platform::LParam lParam, bool& handled);
    CControlUI* CreateControl(const std::wstring& className) override;

    platform::LParam HandleMessage(uint32_t message, platform::WParam wParam,
                                   platform::LParam lParam) override;
    bool PreTranslateKey(uint32_t virtualKey, uint32_t character) override;

    CPaintManagerUI m_pm;

protected:
    void OnCreate() override;
    void OnInit() override;
    CPaintManagerUI* GetPaintManager() override { return &m_pm; }
};
