#pragma once
// A control that holds other controls (it owns them: removing deletes them).
#include "uilib/CControlUI.h"

#include <vector>

class CContainerUI : public CControlUI {
public:
    std::wstring GetClass() const override { return L"Container"; }

    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    virtual bool Remove(CControlUI* control);
    virtual void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;

    CControlUI* FindSubControl(std::wstring_view name) override;
    void SetOwner(CPaintManagerUI* manager, CContainerUI* parent) override;

protected:
    // Places a newly added child (containers: where its pos says).
    virtual void PlaceItem(CControlUI* control);

    std::vector<CControlUI*> items_;
};
