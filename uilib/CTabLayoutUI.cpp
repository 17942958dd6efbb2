#include "uilib/CTabLayoutUI.h"

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount())
        return false;
    current_ = index;
    for (int i = 0; i < GetCount(); ++i)
        items_[i]->setVisible(i == index);
    return true;
}

void CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedid")) {
        current_ = value.toInt();
        SelectItem(current_);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CTabLayoutUI::PlaceItem(CControlUI* control) {
    CContainerUI::PlaceItem(control);
    control->setVisible(GetItemIndex(control) == current_);
}
