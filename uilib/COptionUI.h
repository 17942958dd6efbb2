#pragma once
// A check box or switch: a click flips it (in a group: selects it and clears the others).
// A change of the selected state raises "selectchanged", whoever made it.
#include "uilib/CButtonUI.h"

class COptionUI : public CButtonUI {
public:
    std::wstring GetClass() const override { return L"Option"; }

    bool IsSelected() const { return selected_; }
    virtual void Selected(bool selected);
    void SetSelectedImage(std::wstring_view image);
    std::wstring GetSelectedImage() const { return selectedImage_.toStdWString(); }
    void SetGroup(std::wstring_view group) { group_ = group; }
    std::wstring GetGroup() const { return group_; }

    void SetAttribute(const QString& name, const QString& value) override;
    bool Activate() override;

protected:
    void PaintStatusImage(QPainter& painter) override;

    bool selected_ = false;
    QString selectedImage_;
    std::wstring group_;
};
