#pragma once
// A clickable control with state images. A left click released over it, or Enter/Space while
// it has the focus, raises "click".
#include "uilib/CLabelUI.h"

class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::wstring GetClass() const override { return L"Button"; }

    void SetNormalImage(std::wstring_view image);
    std::wstring GetNormalImage() const { return normalImage_.toStdWString(); }
    void SetHotImage(std::wstring_view image);
    void SetPushedImage(std::wstring_view image);
    std::wstring GetPushedImage() const { return pushedImage_.toStdWString(); }
    void SetDisabledImage(std::wstring_view image);
    std::wstring GetDisabledImage() const { return disabledImage_.toStdWString(); }
    void SetHotBkColor(uint32_t argb) { hotBkColor_ = argb; }
    void SetHotTextColor(uint32_t argb) { hotTextColor_ = argb; }

    void SetAttribute(const QString& name, const QString& value) override;
    bool Activate() override;

protected:
    void PaintBkColor(QPainter& painter) override;
    void PaintStatusImage(QPainter& painter) override;
    void PaintText(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    QString normalImage_;
    QString hotImage_;
    QString pushedImage_;
    QString disabledImage_;
    uint32_t hotBkColor_ = 0;
    uint32_t hotTextColor_ = 0;
};
