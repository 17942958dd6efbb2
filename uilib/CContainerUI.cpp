#include "uilib/CContainerUI.h"

#include <algorithm>

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || index < 0 || index > GetCount())
        return false;
    items_.insert(items_.begin() + index, control);
    control->setParent(this); // hides it: show it again as its own flag says
    control->setVisible(control->IsVisible());
    control->SetOwner(GetManager(), this);
    PlaceItem(control);
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    auto it = std::find(items_.begin(), items_.end(), control);
    if (it == items_.end())
        return false;
    items_.erase(it);
    delete control;
    return true;
}

void CContainerUI::RemoveAll() {
    auto items = std::move(items_);
    items_.clear();
    for (CControlUI* item : items)
        delete item;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? items_[index] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto it = std::find(items_.begin(), items_.end(), control);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

CControlUI* CContainerUI::FindSubControl(std::wstring_view name) {
    if (name_ == name)
        return this;
    for (CControlUI* item : items_)
        if (CControlUI* found = item->FindSubControl(name))
            return found;
    return nullptr;
}

void CContainerUI::SetOwner(CPaintManagerUI* manager, CContainerUI* parent) {
    CControlUI::SetOwner(manager, parent);
    for (CControlUI* item : items_)
        item->SetOwner(manager, this);
}

void CContainerUI::PlaceItem(CControlUI* control) {
    control->FillParent();
}
