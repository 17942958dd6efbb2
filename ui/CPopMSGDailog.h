#pragma once
// The message popup: a message, an optional title, and either Cancel and Confirm (kind 0) or
// a single OK button (kind 1), in the current display mode. Its modal run answers 1 for the
// confirm buttons and 0 for cancel.
#include "uilib/WindowImplBase.h"

#include <string>
#include <string_view>

class CPopMSGDailog : public WindowImplBase {
public:
    CPopMSGDailog(std::wstring_view message, std::wstring_view title, int kind, bool dark);

    std::wstring GetWindowClassName() const override { return L"PopMsgDailog"; }
    uint32_t GetClassStyle() const override { return 2059; }
    std::wstring GetSkinFile() override { return layout_; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    platform::LParam HandleCustomMessage(uint32_t message, platform::WParam wParam,
                                         platform::LParam lParam, bool& handled) override;

protected:
    void OnFinalMessage(platform::WindowHandle handle) override;

private:
    void StackRows(int titleHeight, int messageHeight);

    std::wstring layout_ = L"popdailog_en.xml";
    std::wstring title_;
    std::wstring message_;
    int kind_;
    bool dark_;
};

// Shows the popup modally over `parent` and returns its answer. Callable from any thread: the
// popup itself always runs on the UI thread, and a worker waits for the answer.
int ShowPopDailog(platform::WindowHandle parent, int kind, std::wstring_view message, bool dark,
                  std::wstring_view title);
