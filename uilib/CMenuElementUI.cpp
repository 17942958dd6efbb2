#include "uilib/CMenuElementUI.h"

void CMenuElementUI::SetChecked(bool checked) {
    if (checks_ && !name_.empty())
        (*checks_)[name_] = checked;
    Selected(checked);
}

bool CMenuElementUI::Activate() {
    // A click chooses the entry; marks are the program's to set.
    return CButtonUI::Activate();
}
