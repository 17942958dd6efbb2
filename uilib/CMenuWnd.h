#pragma once
// A pop-up menu built from a menu layout file. Clicking an entry sends WM_MENUCLICK to the
// window that opened it (while the menu still exists) and closes the menu; clicking elsewhere
// or Escape closes it. The menu deletes itself when it closes.
#include "uilib/CMenuElementUI.h"
#include "uilib/WindowImplBase.h"

#include <QPoint>

class CMenuWnd : public WindowImplBase {
public:
    // Alignment flags: where the menu lies from the point (default: right of and below it).
    enum Alignment : unsigned { AlignLeft = 2, AlignTop = 4, AlignRight = 8, AlignBottom = 16 };

    // Opens the menu of `file` at `point` (screen coordinates) for the window of `manager`.
    // Entries named in `checks` start with its mark, the others with their layout's.
    static CMenuWnd* CreateMenu(CControlUI* ownerElement, std::wstring_view file, QPoint point,
                                CPaintManagerUI* manager, MenuCheckMap* checks = nullptr,
                                unsigned alignment = 0);

    CControlUI* GetMenuUI() const { return m_pm.GetRoot(); }
    CMenuElementUI* FindMenuElement(std::wstring_view name) const;
    // The name of the entry whose click was sent last.
    static std::wstring GetClickedMenuName();

    std::wstring GetWindowClassName() const override { return L"MenuWnd"; }
    std::wstring GetSkinFile() override { return file_; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const std::wstring& className) override;

protected:
    void OnFinalMessage(platform::WindowHandle handle) override;
    bool IsPopupMenu() const override { return true; }

private:
    CMenuWnd() = default;

    std::wstring file_;
    QPoint point_;
    unsigned alignment_ = 0;
    MenuCheckMap* checks_ = nullptr;
    platform::WindowHandle owner_ = nullptr;
};
