#include "uilib/COptionUI.h"

#include "uilib/CContainerUI.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <functional>

namespace {
void ForEachControl(CControlUI* root, const std::function<void(CControlUI*)>& visit) {
    if (!root)
        return;
    visit(root);
    if (auto* container = dynamic_cast<CContainerUI*>(root))
        for (int i = 0; i < container->GetCount(); ++i)
            ForEachControl(container->GetItemAt(i), visit);
}
} // namespace

void COptionUI::Selected(bool selected) {
    if (selected_ == selected)
        return;
    selected_ = selected;
    if (selected_ && !group_.empty() && GetManager()) {
        ForEachControl(GetManager()->GetRoot(), [this](CControlUI* control) {
            auto* other = dynamic_cast<COptionUI*>(control);
            if (other && other != this && other->group_ == group_)
                other->Selected(false);
        });
    }
    update();
    SendNotify(L"selectchanged");
}

void COptionUI::SetSelectedImage(std::wstring_view image) {
    selectedImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void COptionUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("selectedimage"))
        SetSelectedImage(value.toStdWString());
    else if (name == QLatin1String("selected"))
        selected_ = uilib::ParseBool(value); // the initial state raises nothing
    else if (name == QLatin1String("group"))
        SetGroup(value.toStdWString());
    else
        CButtonUI::SetAttribute(name, value);
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate())
        return false;
    if (group_.empty())
        Selected(!selected_);
    else if (!selected_)
        Selected(true);
    return true;
}

void COptionUI::PaintStatusImage(QPainter& painter) {
    if (selected_ && DrawImage(painter, selectedImage_, rect()))
        return;
    CButtonUI::PaintStatusImage(painter);
}
