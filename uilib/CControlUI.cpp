#include "uilib/CControlUI.h"

#include "uilib/CContainerUI.h"
#include "uilib/CListUI.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <qdrawutil.h>

using namespace uilib;

CControlUI::CControlUI() {
    setAttribute(Qt::WA_NoSystemBackground);
}

CControlUI::~CControlUI() = default;

void CControlUI::SetName(std::wstring_view name) {
    name_ = name;
    setObjectName(QString::fromStdWString(name_));
}

void CControlUI::SetText(std::wstring_view text) {
    if (text_ == text)
        return;
    text_ = text;
    update();
}

void CControlUI::SetVisible(bool visible) {
    visible_ = visible;
    setVisible(visible);
}

void CControlUI::SetEnabled(bool enabled) {
    setEnabled(enabled);
    if (!enabled)
        hot_ = pushed_ = false;
    update();
}

void CControlUI::SetFocus() {
    setFocusPolicy(focusPolicy() == Qt::NoFocus ? Qt::ClickFocus : focusPolicy());
    setFocus(Qt::OtherFocusReason);
}

bool CControlUI::IsFocused() const {
    QWidget* top = window();
    return top && top->focusWidget() == this;
}

void CControlUI::SetTextColor(uint32_t argb) {
    textColor_ = argb;
    update();
}

void CControlUI::SetDisabledTextColor(uint32_t argb) {
    disabledTextColor_ = argb;
    update();
}

void CControlUI::SetBkColor(uint32_t argb) {
    bkColor_ = argb;
    update();
}

void CControlUI::SetBkImage(std::wstring_view image) {
    bkImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CControlUI::SetForeImage(std::wstring_view image) {
    foreImage_ = QString::fromStdWString(std::wstring(image));
    update();
}

void CControlUI::SetFont(int id) {
    fontId_ = id;
    ManagerChanged();
    update();
}

void CControlUI::SetToolTip(std::wstring_view text) {
    setToolTip(QString::fromStdWString(std::wstring(text)));
}

void CControlUI::SetPos(const QRect& pos) {
    hasPos_ = true;
    setGeometry(pos);
}

void CControlUI::SetFixedHeight(int height) {
    QRect r = geometry();
    r.setHeight(height);
    SetPos(r);
}

void CControlUI::SetFixedWidth(int width) {
    QRect r = geometry();
    r.setWidth(width);
    SetPos(r);
}

void CControlUI::FillParent() {
    if (!hasPos_ && parentWidget())
        setGeometry(parentWidget()->rect());
}

void CControlUI::SetAttribute(const QString& name, const QString& value) {
    const std::wstring wide = value.toStdWString();
    if (name == QLatin1String("name")) {
        SetName(wide);
    } else if (name == QLatin1String("pos")) {
        if (auto r = ParseRect(value))
            SetPos(*r);
    } else if (name == QLatin1String("visible")) {
        SetVisible(ParseBool(value));
    } else if (name == QLatin1String("enabled")) {
        SetEnabled(ParseBool(value));
    } else if (name == QLatin1String("text")) {
        SetText(wide);
    } else if (name == QLatin1String("font")) {
        SetFont(value.toInt());
    } else if (name == QLatin1String("textcolor")) {
        SetTextColor(ParseColor(value).value_or(0));
    } else if (name == QLatin1String("disabledtextcolor")) {
        SetDisabledTextColor(ParseColor(value).value_or(0));
    } else if (name == QLatin1String("bkcolor")) {
        SetBkColor(ParseColor(value).value_or(0));
    } else if (name == QLatin1String("bkimage")) {
        SetBkImage(wide);
    } else if (name == QLatin1String("foreimage")) {
        SetForeImage(wide);
    } else if (name == QLatin1String("align")) {
        hAlign_ = value == QLatin1String("left")    ? Qt::AlignLeft
                  : value == QLatin1String("right") ? Qt::AlignRight
                                                    : Qt::AlignHCenter;
    } else if (name == QLatin1String("valign")) {
        vAlign_ = value == QLatin1String("top")      ? Qt::AlignTop
                  : value == QLatin1String("bottom") ? Qt::AlignBottom
                                                     : Qt::AlignVCenter;
    } else if (name == QLatin1String("textpadding")) {
        textPadding_ = ParseMargins(value).value_or(QMargins());
    } else if (name == QLatin1String("tooltip")) {
        SetToolTip(wide);
    } else if (name == QLatin1String("tag")) {
        SetTag(value.toULongLong());
    } else if (name == QLatin1String("userdata")) {
        SetUserData(wide);
    } else if (name == QLatin1String("cursor")) {
        if (value == QLatin1String("hand"))
            setCursor(Qt::PointingHandCursor);
    } else if (name == QLatin1String("multiline")) {
        wrap_ = ParseBool(value);
    }
}

CControlUI* CControlUI::FindSubControl(std::wstring_view name) {
    return name_ == name ? this : nullptr;
}

bool CControlUI::Activate() {
    return IsEnabled() && IsVisible();
}

void CControlUI::SendNotify(const std::wstring& type, platform::WParam wParam,
                            platform::LParam lParam) {
    if (manager_)
        manager_->SendNotify(this, type, wParam, lParam);
}

void CControlUI::SetOwner(CPaintManagerUI* manager, CContainerUI* parent) {
    manager_ = manager;
    parent_ = parent;
    ManagerChanged();
}

void CControlUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintForeImage(painter);
    PaintText(painter);
}

void CControlUI::enterEvent(QEnterEvent*) {
    hot_ = true;
    if (listOwner_)
        listOwner_->SetHotItem(this);
    update();
}

void CControlUI::leaveEvent(QEvent*) {
    hot_ = false;
    if (listOwner_)
        listOwner_->SetHotItem(nullptr);
    update();
}

void CControlUI::mousePressEvent(QMouseEvent* event) {
    if (listOwner_ && event->button() == Qt::LeftButton) {
        listOwner_->ItemClicked(this);
        return;
    }
    event->ignore(); // the parent (and finally the window's caption band) may take it
}

void CControlUI::mouseReleaseEvent(QMouseEvent* event) {
    event->ignore();
}

void CControlUI::resizeEvent(QResizeEvent*) {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (auto* control = dynamic_cast<CControlUI*>(child))
            control->FillParent();
}

void CControlUI::PaintBkColor(QPainter& painter) {
    uint32_t color = bkColor_;
    if (listOwner_)
        color = listOwner_->ItemBkColor(this, color);
    if (color >> 24)
        painter.fillRect(rect(), ToQColor(color));
}

void CControlUI::PaintBkImage(QPainter& painter) {
    DrawImage(painter, bkImage_, rect());
}

void CControlUI::PaintStatusImage(QPainter&) {}

void CControlUI::PaintForeImage(QPainter& painter) {
    DrawImage(painter, foreImage_, rect());
}

void CControlUI::PaintText(QPainter& painter) {
    if (text_.empty())
        return;
    painter.setFont(ResolveFont());
    painter.setPen(ToQColor(CurrentTextColor() | 0xFF000000u));
    const int flags = AlignmentFlags() | (wrap_ ? Qt::TextWordWrap : Qt::TextSingleLine);
    painter.drawText(TextRect(), flags, QString::fromStdWString(text_));
}

bool CControlUI::DrawImage(QPainter& painter, const QString& image, const QRect& rect) const {
    const auto parsed = ParseImageString(image);
    if (!parsed)
        return false;
    // The scale from here to device pixels (a high-DPI screen, or rendering into a larger
    // pixmap).
    const qreal ratio = std::max(painter.device() ? painter.device()->devicePixelRatio() : 1.0,
                                 painter.deviceTransform().m11());
    QPixmap pixmap = CPaintManagerUI::Skin().Image(parsed->file, ratio);
    if (pixmap.isNull())
        return false;
    if (parsed->source) {
        const qreal scale = pixmap.devicePixelRatio();
        const QRect part = parsed->source->isValid()
                               ? QRect(QPointF(parsed->source->topLeft()).toPoint() * scale,
                                       parsed->source->size() * scale)
                               : QRect();
        pixmap = pixmap.copy(part);
        pixmap.setDevicePixelRatio(scale);
    }
    const QRect target = parsed->dest ? parsed->dest->translated(rect.topLeft()) : rect;
    if (parsed->corner.isNull())
        painter.drawPixmap(target, pixmap);
    else
        qDrawBorderPixmap(&painter, target, parsed->corner, pixmap);
    return true;
}

QFont CControlUI::ResolveFont() const {
    return manager_ ? manager_->GetFont(fontId_) : QFont();
}

// Text is drawn opaque: the alpha byte of a text colour is ignored, as the skins expect (a
// dark-mode title of #26FFFFFF reads as white).
uint32_t CControlUI::CurrentTextColor() const {
    if (!IsEnabled() && disabledTextColor_)
        return disabledTextColor_;
    return textColor_ ? textColor_ : 0xFF000000u;
}

QRect CControlUI::TextRect() const {
    return rect().marginsRemoved(textPadding_);
}

int CControlUI::AlignmentFlags() const {
    return hAlign_ | vAlign_;
}
