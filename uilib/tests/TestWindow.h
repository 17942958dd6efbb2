#pragma once
// A window of the tests: built from a named layout, records what reaches it.
#include "uilib/CControlUI.h"
#include "uilib/WindowImplBase.h"

#include <functional>
#include <vector>

namespace uilib_test {

struct Seen {
    std::wstring type;
    std::wstring sender;
    QPoint mouse;
    platform::WParam wParam;
};

class TestWindow : public WindowImplBase {
public:
    explicit TestWindow(std::wstring skin) : skin_(std::move(skin)) {}

    std::wstring GetWindowClassName() const override { return L"TestWnd"; }
    std::wstring GetSkinFile() override { return skin_; }
    void InitWindow() override { ++inits; }

    void Notify(TNotifyUI& msg) override {
        notes.push_back(
            {msg.sType, msg.pSender ? msg.pSender->GetName() : L"", msg.ptMouse, msg.wParam});
        WindowImplBase::Notify(msg);
    }
    platform::LParam HandleCustomMessage(uint32_t m, platform::WParam w, platform::LParam l,
                                         bool& handled) override {
        messages.push_back({m, w, l});
        if (onMessage)
            return onMessage(m, w, l, handled);
        return 0;
    }
    platform::LParam MessageHandler(uint32_t m, platform::WParam w, platform::LParam l,
                                    bool& handled) override {
        keys.push_back(static_cast<uint32_t>(w));
        if (consumeTab && w == VK_TAB) {
            handled = true;
            return 0;
        }
        return WindowImplBase::MessageHandler(m, w, l, handled);
    }
    platform::LParam OnChar(uint32_t, platform::WParam w, platform::LParam,
                            bool& handled) override {
        chars.push_back(static_cast<uint32_t>(w));
        handled = false;
        return 0;
    }
    void OnFinalMessage(platform::WindowHandle) override { ++finals; }

    CControlUI* Find(std::wstring_view name) { return m_pm.FindControl(name); }
    template <class T> T* Find(std::wstring_view name) {
        return dynamic_cast<T*>(m_pm.FindControl(name));
    }
    size_t Count(const std::wstring& type) const {
        size_t n = 0;
        for (const auto& s : notes)
            n += s.type == type;
        return n;
    }

    struct Message {
        uint32_t id;
        platform::WParam wParam;
        platform::LParam lParam;
    };
    std::vector<Seen> notes;
    std::vector<Message> messages;
    std::vector<uint32_t> keys;
    std::vector<uint32_t> chars;
    std::function<platform::LParam(uint32_t, platform::WParam, platform::LParam, bool&)> onMessage;
    bool consumeTab = false;
    int inits = 0;
    int finals = 0;

private:
    std::wstring skin_;
};

} // namespace uilib_test
