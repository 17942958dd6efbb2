#pragma once
// A vertical list of items (each usually built from an item layout), scrolled with the wheel.
// A click on an item that no child control takes selects it and raises "itemclick".
#include "uilib/CContainerUI.h"

class CListUI : public CContainerUI {
public:
    std::wstring GetClass() const override { return L"List"; }

    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    bool SelectItem(int index);
    int GetCurSel() const { return selected_; }
    void SetSelectedItemBkColor(uint32_t argb);
    void SetHotItemBkColor(uint32_t argb);
    void SetAttribute(const QString& name, const QString& value) override;

    // Called by the items.
    void ItemClicked(CControlUI* item);
    void SetHotItem(CControlUI* item);
    uint32_t ItemBkColor(const CControlUI* item, uint32_t ownColor) const;

protected:
    void PlaceItem(CControlUI* control) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void PaintForeImage(QPainter& painter) override;

private:
    void Relayout();
    int ContentHeight() const;

    int selected_ = -1;
    CControlUI* hot_item_ = nullptr;
    uint32_t selectedColor_ = 0;
    uint32_t hotColor_ = 0;
    int offset_ = 0;
};
