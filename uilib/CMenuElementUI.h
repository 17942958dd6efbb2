#pragma once
// An entry of a menu. A check entry (an Option in the menu file) shows its selected image
// while checked; its mark is kept in the menu's check map so that later menus show it too.
#include "uilib/COptionUI.h"

#include <map>

using MenuCheckMap = std::map<std::wstring, bool>;

class CMenuElementUI : public COptionUI {
public:
    explicit CMenuElementUI(bool checkable) : checkable_(checkable) {}
    std::wstring GetClass() const override { return L"MenuElement"; }

    void SetChecked(bool checked);
    bool IsChecked() const { return IsSelected(); }
    bool IsCheckable() const { return checkable_; }
    void SetCheckMap(MenuCheckMap* checks) { checks_ = checks; }

    bool Activate() override;

private:
    bool checkable_;
    MenuCheckMap* checks_ = nullptr;
};
