#include "uilib/CProgressUI.h"

#include <algorithm>

void CProgressUI::SetMinValue(int value) {
    min_ = value;
    update();
}

void CProgressUI::SetMaxValue(int value) {
    max_ = value;
    update();
}

void CProgressUI::SetValue(int value) {
    value_ = value;
    update();
}

void CProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("min"))
        SetMinValue(value.toInt());
    else if (name == QLatin1String("max"))
        SetMaxValue(value.toInt());
    else if (name == QLatin1String("value"))
        SetValue(value.toInt());
    else
        CLabelUI::SetAttribute(name, value);
}

void CProgressUI::PaintForeImage(QPainter& painter) {
    if (max_ <= min_)
        return;
    const int clamped = std::clamp(value_, min_, max_);
    const int filled =
        static_cast<int>(static_cast<long long>(width()) * (clamped - min_) / (max_ - min_));
    if (filled <= 0)
        return;
    DrawImage(painter, foreImage_, QRect(0, 0, filled, height()));
}
