#pragma once
// The program's one window. So far it shows the disconnected page in the saved display mode;
// the pages' behaviour joins it later.
#include "uilib/WindowImplBase.h"

#include <string>
#include <string_view>

class CMainWnd : public WindowImplBase {
public:
    std::wstring GetWindowClassName() const override { return L"KelmoraFp"; }
    uint32_t GetClassStyle() const override { return 2059; }
    std::wstring GetSkinFile() override;
    void InitWindow() override;
    platform::LParam MessageHandler(uint32_t message, platform::WParam wParam,
                                    platform::LParam lParam, bool& handled) override;

    // Selects a page of "TabMain" with the window's background for the display mode; the
    // disconnected page also gets its texts and picture.
    void ShowPage(unsigned pageId);
    // The popup over the dimmed window; 1 for confirm, 0 for cancel. Any thread.
    int ShowMessage(std::wstring_view message, int kind, std::wstring_view title);

    bool IsDarkMode() const { return darkMode_ == 1; }
    // Applies a display mode to the title bar and the current page.
    void SetDarkMode(bool dark);

protected:
    void OnFinalMessage(platform::WindowHandle handle) override;

private:
    void ApplyTitleBar();

    unsigned char darkMode_ = 0;
};
