#pragma once
// One line of text (a Control that paints text, left to the layout's alignment).
#include "uilib/CControlUI.h"

class CLabelUI : public CControlUI {
public:
    std::wstring GetClass() const override { return L"Label"; }
};
