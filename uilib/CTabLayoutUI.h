#pragma once
// Pages of which exactly one is visible (the selected index).
#include "uilib/CContainerUI.h"

class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"TabLayout"; }
    bool SelectItem(int index);
    int GetCurSel() const { return current_; }
    void SetAttribute(const QString& name, const QString& value) override;

protected:
    void PlaceItem(CControlUI* control) override;

private:
    int current_ = 0;
};
