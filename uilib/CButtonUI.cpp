#include "uilib/CButtonUI.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

CButtonUI::CButtonUI() {
    setFocusPolicy(Qt::ClickFocus);
}

void CButtonUI::SetNormalImage(std::wstring_view image) {
    normalImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CButtonUI::SetHotImage(std::wstring_view image) {
    hotImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CButtonUI::SetPushedImage(std::wstring_view image) {
    pushedImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CButtonUI::SetDisabledImage(std::wstring_view image) {
    disabledImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CButtonUI::SetAttribute(const QString& name, const QString& value) {
    const std::wstring wide = value.toStdWString();
    if (name == QLatin1String("normalimage"))
        SetNormalImage(wide);
    else if (name == QLatin1String("hotimage"))
        SetHotImage(wide);
    else if (name == QLatin1String("pushedimage"))
        SetPushedImage(wide);
    else if (name == QLatin1String("disabledimage"))
        SetDisabledImage(wide);
    else if (name == QLatin1String("hotbkcolor"))
        SetHotBkColor(uilib::ParseColor(value).value_or(0));
    else if (name == QLatin1String("hottextcolor"))
        SetHotTextColor(uilib::ParseColor(value).value_or(0));
    else
        CLabelUI::SetAttribute(name, value);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate())
        return false;
    SendNotify(L"click");
    return true;
}

void CButtonUI::PaintBkColor(QPainter& painter) {
    if (hot_ && hotBkColor_ && IsEnabled())
        painter.fillRect(rect(), uilib::ToQColor(hotBkColor_));
    else
        CLabelUI::PaintBkColor(painter);
}

void CButtonUI::PaintStatusImage(QPainter& painter) {
    // The most specific image of the state that the skin has, else the normal one.
    if (!IsEnabled() && DrawImage(painter, disabledImage_, rect()))
        return;
    if (IsEnabled() && pushed_ && DrawImage(painter, pushedImage_, rect()))
        return;
    if (IsEnabled() && hot_ && DrawImage(painter, hotImage_, rect()))
        return;
    DrawImage(painter, normalImage_, rect());
}

void CButtonUI::PaintText(QPainter& painter) {
    const uint32_t saved = textColor_;
    if (hot_ && hotTextColor_ && IsEnabled())
        textColor_ = hotTextColor_;
    CLabelUI::PaintText(painter);
    textColor_ = saved;
}

void CButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    pushed_ = true;
    update();
}

void CButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pushed_) {
        event->ignore();
        return;
    }
    pushed_ = false;
    update();
    if (rect().contains(event->position().toPoint()))
        Activate();
}

void CButtonUI::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Activate();
        break;
    default:
        CLabelUI::keyPressEvent(event);
    }
}
