#include "uilib/CMenuWnd.h"

#include "uilib/CContainerUI.h"

#include <QWidget>

namespace {
std::wstring clickedName;
} // namespace

CMenuWnd* CMenuWnd::CreateMenu(CControlUI*, std::wstring_view file, QPoint point,
                               CPaintManagerUI* manager, MenuCheckMap* checks, unsigned alignment) {
    auto* menu = new CMenuWnd;
    menu->file_ = file;
    menu->point_ = point;
    menu->alignment_ = alignment;
    menu->checks_ = checks;
    menu->owner_ = manager && manager->GetWindow() ? manager->GetWindow()->GetHWND() : nullptr;
    menu->Create(menu->owner_, L"", WS_POPUP, WS_EX_TOOLWINDOW);
    menu->ShowWindow(true);
    return menu;
}

CMenuElementUI* CMenuWnd::FindMenuElement(std::wstring_view name) const {
    return dynamic_cast<CMenuElementUI*>(m_pm.FindControl(name));
}

std::wstring CMenuWnd::GetClickedMenuName() {
    return clickedName;
}

CControlUI* CMenuWnd::CreateControl(const std::wstring& className) {
    if (className == L"Option")
        return new CMenuElementUI(true);
    if (className == L"Button")
        return new CMenuElementUI(false);
    return nullptr;
}

void CMenuWnd::InitWindow() {
    if (checks_) {
        for (const auto& [name, checked] : *checks_)
            if (CMenuElementUI* entry = FindMenuElement(name))
                entry->Selected(checked);
    }
    std::function<void(CControlUI*)> bind = [&](CControlUI* control) {
        if (auto* entry = dynamic_cast<CMenuElementUI*>(control))
            entry->SetCheckMap(checks_);
        if (auto* container = dynamic_cast<CContainerUI*>(control))
            for (int i = 0; i < container->GetCount(); ++i)
                bind(container->GetItemAt(i));
    };
    bind(GetMenuUI());

    QWidget* widget = GetWidget();
    const QSize size = m_pm.initSize;
    const int margin = (widget->width() - size.width()) / 2;
    QPoint at = point_;
    if (alignment_ & AlignRight)
        at.rx() -= size.width();
    if (alignment_ & AlignBottom)
        at.ry() -= size.height();
    widget->move(at - QPoint(margin, margin));
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click")
        return;
    auto* entry = dynamic_cast<CMenuElementUI*>(msg.pSender);
    if (!entry)
        return;
    clickedName = entry->GetName();
    if (owner_)
        platform::SendToWindow(owner_, WM_MENUCLICK, 0, 0);
    Close(0);
}

void CMenuWnd::OnFinalMessage(platform::WindowHandle) {
    delete this;
}
