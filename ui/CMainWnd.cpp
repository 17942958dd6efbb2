#include "ui/CMainWnd.h"

#include "shell/Language.h"
#include "ui/CPopMSGDailog.h"
#include "ui/PageIds.h"
#include "uilib/CButtonUI.h"
#include "uilib/CGifAnimUI.h"
#include "uilib/CTabLayoutUI.h"
#include "uilib/UiThread.h"

namespace {
// Title and body text colours of the two display modes.
constexpr uint32_t kTitleNormal = 0xFF002F2F;
constexpr uint32_t kTitleDark = 0x26FFFFFF;
constexpr uint32_t kBodyNormal = 0xFF002F2F;
constexpr uint32_t kBodyDark = 0xFFBABABA;
} // namespace

std::wstring CMainWnd::GetSkinFile() {
    return LanguageFile() == LanguageFileFor(LanguageChinese) ? L"main_device_zh.xml"
                                                              : L"main_device.xml";
}

void CMainWnd::InitWindow() {
    // "ModeConfig.ini" holds the display mode of the last run.
    const wchar_t* const modeKey = L"mode";
    darkMode_ = LookupText(modeKey, L"ModeConfig.ini") == L"1" ? 1 : 0;
    ApplyTitleBar();
    ShowPage(Page_Disconnected);
}

platform::LParam CMainWnd::MessageHandler(uint32_t, platform::WParam, platform::LParam,
                                          bool& handled) {
    handled = false; // Escape does not close the main window
    return 0;
}

void CMainWnd::SetDarkMode(bool dark) {
    darkMode_ = dark ? 1 : 0;
    ApplyTitleBar();
    auto* tab = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl(L"TabMain"));
    ShowPage(tab ? static_cast<unsigned>(tab->GetCurSel()) : Page_Disconnected);
}

void CMainWnd::ApplyTitleBar() {
    const bool dark = IsDarkMode();
    if (CControlUI* title = m_pm.FindControl(L"backgrund_title"))
        title->SetBkColor(dark ? 0xFF1E1E1E : 0xFFFFFFFF);
    const struct {
        const wchar_t* control;
        const wchar_t* darkImage;
        const wchar_t* normalImage;
    } images[] = {
        {ControlName(L"aboutbtn"), L"about_black.png", L"about.png"},
        {ControlName(L"safeRemove"), L"saferemove_black.png", L"saferemove.png"},
        {ControlName(L"title_logo"), L"zemo_black.png", L"zemo.png"},
        {ControlName(L"closebtn"), L"close_black.png", L"close_focuse.png"},
        {ControlName(L"minbtn"), L"min_black.png", L"min_focuse.png"},
    };
    for (const auto& entry : images)
        if (auto* button = dynamic_cast<CButtonUI*>(m_pm.FindControl(entry.control)))
            button->SetNormalImage(dark ? entry.darkImage : entry.normalImage);
    if (CControlUI* wait = m_pm.FindControl(L"wait"))
        wait->SetBkImage(dark ? L"wait_black.gif" : L"wait_white.gif");
}

void CMainWnd::ShowPage(unsigned pageId) {
    const bool dark = IsDarkMode();
    if (CControlUI* background = m_pm.FindControl(L"backgrund"))
        background->SetBkColor(dark ? 0xFF121212 : 0xFFFAFAFA);
    if (pageId > Page_Last)
        return;
    if (pageId == Page_Disconnected) {
        if (CControlUI* text = m_pm.FindControl(L"disconnected_text")) {
            text->SetText(LookupText(L"Other_DisConnect_Content"));
            text->SetTextColor(dark ? kBodyDark : kBodyNormal);
        }
        if (CControlUI* title = m_pm.FindControl(L"disconnected_title")) {
            title->SetText(LookupText(L"Other_DisConnect_Title"));
            title->SetTextColor(dark ? kTitleDark : kTitleNormal);
        }
        if (CControlUI* logo = m_pm.FindControl(L"disconnected_logo"))
            logo->SetBkImage(dark ? L"disconnected_black.png" : L"disconnected.png");
    }
    if (auto* tab = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl(L"TabMain")))
        tab->SelectItem(static_cast<int>(pageId));
}

int CMainWnd::ShowMessage(std::wstring_view message, int kind, std::wstring_view title) {
    int result = 0;
    uilib::RunOnUiThread([&] {
        CControlUI* overlay = m_pm.FindControl(L"disabled_window");
        if (overlay)
            overlay->SetVisible(true);
        result = ShowPopDailog(GetHWND(), kind, message, IsDarkMode(), title);
        if (overlay)
            overlay->SetVisible(false);
    });
    return result;
}

void CMainWnd::OnFinalMessage(platform::WindowHandle) {
    CPaintManagerUI::PostQuit(0);
    delete this;
}
