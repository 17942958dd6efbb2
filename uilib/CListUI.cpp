#include "uilib/CListUI.h"

#include "uilib/LayoutValues.h"

#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

namespace {
constexpr int kDefaultItemHeight = 40;
int ItemHeight(const CControlUI* item) {
    return item->HasPos() ? item->GetPos().height() : kDefaultItemHeight;
}
} // namespace

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index))
        return false;
    control->SetListOwner(this);
    if (selected_ >= index)
        ++selected_;
    Relayout();
    return true;
}

bool CListUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (control == hot_item_)
        hot_item_ = nullptr;
    if (!CContainerUI::Remove(control))
        return false;
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    Relayout();
    return true;
}

void CListUI::RemoveAll() {
    hot_item_ = nullptr;
    selected_ = -1;
    offset_ = 0;
    CContainerUI::RemoveAll();
    update();
}

bool CListUI::SelectItem(int index) {
    if (index < -1 || index >= GetCount())
        return false;
    selected_ = index;
    for (CControlUI* item : items_)
        item->update();
    return true;
}

void CListUI::SetSelectedItemBkColor(uint32_t argb) {
    selectedColor_ = argb;
    for (CControlUI* item : items_)
        item->update();
}

void CListUI::SetHotItemBkColor(uint32_t argb) {
    hotColor_ = argb;
}

void CListUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("itemselectedbkcolor"))
        SetSelectedItemBkColor(uilib::ParseColor(value).value_or(0));
    else if (name == QLatin1String("itemhotbkcolor"))
        SetHotItemBkColor(uilib::ParseColor(value).value_or(0));
    else
        CContainerUI::SetAttribute(name, value);
}

void CListUI::ItemClicked(CControlUI* item) {
    const int index = GetItemIndex(item);
    if (index < 0 || !item->IsEnabled())
        return;
    SelectItem(index);
    item->SendNotify(L"itemclick");
}

void CListUI::SetHotItem(CControlUI* item) {
    CControlUI* old = hot_item_;
    hot_item_ = item;
    if (old)
        old->update();
    if (item)
        item->update();
}

uint32_t CListUI::ItemBkColor(const CControlUI* item, uint32_t ownColor) const {
    const int index = GetItemIndex(const_cast<CControlUI*>(item));
    if (index >= 0 && index == selected_ && selectedColor_)
        return selectedColor_;
    if (item == hot_item_ && hotColor_)
        return hotColor_;
    return ownColor;
}

void CListUI::PlaceItem(CControlUI*) {
    // Items are stacked by Relayout.
}

void CListUI::resizeEvent(QResizeEvent* event) {
    CContainerUI::resizeEvent(event);
    Relayout();
}

void CListUI::wheelEvent(QWheelEvent* event) {
    const int room = std::max(0, ContentHeight() - height());
    offset_ = std::clamp(offset_ - event->angleDelta().y() / 3, 0, room);
    Relayout();
    event->accept();
}

void CListUI::PaintForeImage(QPainter& painter) {
    CContainerUI::PaintForeImage(painter);
    const int content = ContentHeight();
    if (content <= height() || height() <= 0)
        return;
    // A thin scroll indicator at the right edge.
    const int barHeight = std::max(20, height() * height() / content);
    const int barY = (height() - barHeight) * offset_ / std::max(1, content - height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(128, 128, 128, 110));
    painter.drawRoundedRect(QRect(width() - 5, barY, 4, barHeight), 2, 2);
}

int CListUI::ContentHeight() const {
    int total = 0;
    for (const CControlUI* item : items_)
        if (item->IsVisible())
            total += ItemHeight(item);
    return total;
}

void CListUI::Relayout() {
    offset_ = std::clamp(offset_, 0, std::max(0, ContentHeight() - height()));
    int y = -offset_;
    for (CControlUI* item : items_) {
        if (!item->IsVisible())
            continue;
        const int h = ItemHeight(item);
        item->setGeometry(0, y, width(), h);
        y += h;
    }
    update();
}
