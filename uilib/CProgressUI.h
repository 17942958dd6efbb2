#pragma once
// A horizontal bar from min to max: the background image, then the fore image drawn into the
// filled part.
#include "uilib/CLabelUI.h"

class CProgressUI : public CLabelUI {
public:
    std::wstring GetClass() const override { return L"Progress"; }

    void SetMinValue(int value);
    void SetMaxValue(int value);
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    void SetValue(int value);
    int GetValue() const { return value_; }
    void SetAttribute(const QString& name, const QString& value) override;

protected:
    void PaintForeImage(QPainter& painter) override;

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
};
