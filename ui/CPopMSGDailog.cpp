#include "ui/CPopMSGDailog.h"

#include "shell/Language.h"
#include "uilib/CButtonUI.h"
#include "uilib/UiThread.h"

namespace {
constexpr int kWidth = 420;
constexpr int kButtonRowHeight = 70;
} // namespace

CPopMSGDailog::CPopMSGDailog(std::wstring_view message, std::wstring_view title, int kind,
                             bool dark)
    : title_(title), message_(message), kind_(kind), dark_(dark) {}

void CPopMSGDailog::InitWindow() {
    CControlUI* background = m_pm.FindControl(L"main_bk");
    CControlUI* titleRow = m_pm.FindControl(L"popdlg");
    CControlUI* titleText = m_pm.FindControl(L"popdlg_tilte");
    CControlUI* messageRow = m_pm.FindControl(L"hor_popdlg_text");
    CControlUI* messageText = m_pm.FindControl(L"popdlg_msg");
    CControlUI* okCancelRow = m_pm.FindControl(L"okcancel");
    CControlUI* okRow = m_pm.FindControl(L"ok");
    auto* cancel = dynamic_cast<CButtonUI*>(m_pm.FindControl(L"btn_pop_canel"));
    auto* confirm = dynamic_cast<CButtonUI*>(m_pm.FindControl(L"btn_pop_ok"));
    auto* confirmOnly = dynamic_cast<CButtonUI*>(m_pm.FindControl(L"btn_pop_ok1"));
    if (!background || !titleRow || !messageRow || !okCancelRow || !okRow || !cancel || !confirm ||
        !confirmOnly)
        return; // a broken layout: the popup shows what it has

    if (messageText)
        messageText->SetText(message_);

    int height = 0;
    if (title_.empty()) {
        titleRow->SetVisible(false);
        titleRow->SetFixedHeight(0);
        messageRow->SetFixedHeight(100);
        height = 170;
    } else {
        if (titleText)
            titleText->SetText(title_);
        titleRow->SetVisible(true);
        titleRow->SetFixedHeight(60);
        messageRow->SetFixedHeight(150);
        height = 280;
    }
    StackRows(titleRow->GetPos().height(), messageRow->GetPos().height());
    MoveWindow(0, 0, kWidth, height);

    cancel->SetText(LookupText(L"Btn_Cancel"));
    confirm->SetText(LookupText(L"Btn_Confirm"));
    if (kind_ == 1) {
        okCancelRow->SetVisible(false);
        okRow->SetVisible(true);
        confirmOnly->SetText(LookupText(L"Btn_Ok"));
    }

    CButtonUI* confirmInUse = kind_ == 1 ? confirmOnly : confirm;
    background->SetBkColor(dark_ ? 0xFF484848 : 0xFFFFFFFF);
    if (messageText && titleText)
        messageText->SetTextColor(dark_ ? 0xFFBABABA : 0xFF002F2F);
    if (titleText && messageText)
        titleText->SetTextColor(dark_ ? 0x26FFFFFF : 0xFF002F2F);
    if (dark_) {
        cancel->SetBkImage(L"file='btncancel_black.png' corner='20,20,20,20'");
        cancel->SetTextColor(0xFFBEBEBE);
        confirmInUse->SetNormalImage(L"file = 'btnSave_black.png' corner = '20,20,20,20'");
        confirmInUse->SetPushedImage(L"file = 'btnSave_black_push.png' corner = '20,20,20,20'");
        confirm->SetTextColor(0xFFBEBEBE);
        confirmOnly->SetTextColor(0xFFBEBEBE);
    } else {
        cancel->SetBkImage(L"btn_warning.png");
        cancel->SetTextColor(0xFF000000);
        confirmInUse->SetBkImage(L"btn_unlock.png");
        confirm->SetTextColor(0xFFFFFFFF);
        if (kind_ == 1)
            confirmOnly->SetTextColor(0xFFFFFFFF);
    }

    // The confirm button in use takes the focus, so that Enter confirms (the hidden
    // "btn_pop_ok" of a one-button popup could not take it).
    confirmInUse->SetFocus();
}

void CPopMSGDailog::StackRows(int titleHeight, int messageHeight) {
    // Rows are placed absolutely in the layout; keep them one below the other.
    CControlUI* titleRow = m_pm.FindControl(L"popdlg");
    const int top = titleRow->GetPos().top();
    CControlUI* messageRow = m_pm.FindControl(L"hor_popdlg_text");
    QRect r = messageRow->GetPos();
    r.moveTop(top + titleHeight);
    messageRow->SetPos(r);
    for (const wchar_t* name : {L"okcancel", L"ok"}) {
        CControlUI* row = m_pm.FindControl(name);
        QRect rowPos = row->GetPos();
        rowPos.moveTop(top + titleHeight + messageHeight);
        rowPos.setHeight(kButtonRowHeight);
        row->SetPos(rowPos);
    }
}

void CPopMSGDailog::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || !msg.pSender)
        return;
    const std::wstring name = msg.pSender->GetName();
    if (name == L"btn_pop_canel")
        Close(0);
    else if (name == L"btn_pop_ok" || name == L"btn_pop_ok1")
        Close(1);
}

platform::LParam CPopMSGDailog::HandleCustomMessage(uint32_t, platform::WParam, platform::LParam,
                                                    bool& handled) {
    handled = false;
    return 0;
}

void CPopMSGDailog::OnFinalMessage(platform::WindowHandle) {
    delete this;
}

int ShowPopDailog(platform::WindowHandle parent, int kind, std::wstring_view message, bool dark,
                  std::wstring_view title) {
    int result = 0;
    uilib::RunOnUiThread([&] {
        auto* popup = new CPopMSGDailog(message, title, kind, dark);
        popup->Create(parent, L"PopDailog", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
        popup->CenterWindow();
        result = popup->ShowModal(); // the popup deletes itself when it closes
    });
    return result;
}
