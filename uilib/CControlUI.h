#pragma once
// The base of every control: a Qt widget placed absolutely inside its parent, painted from its
// colours, images and text, found by its name. Controls live on the UI thread only.
#include "uilib/UiTypes.h"

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>

class CPaintManagerUI;
class CContainerUI;
class CListUI;

class CControlUI : public QWidget {
public:
    CControlUI();
    ~CControlUI() override;

    // The element name of the control's class in layout files ("Control", "Button", ...).
    virtual std::wstring GetClass() const { return L"Control"; }

    std::wstring GetName() const { return name_; }
    void SetName(std::wstring_view name);

    virtual std::wstring GetText() const { return text_; }
    virtual void SetText(std::wstring_view text);

    void SetVisible(bool visible = true);
    bool IsVisible() const { return visible_; } // the control's own flag, not its page's
    virtual void SetEnabled(bool enabled = true);
    bool IsEnabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
    virtual void SetFocus();
    virtual bool IsFocused() const;

    void SetTextColor(uint32_t argb);
    uint32_t GetTextColor() const { return textColor_; }
    void SetDisabledTextColor(uint32_t argb);
    uint32_t GetDisabledTextColor() const { return disabledTextColor_; }
    void SetBkColor(uint32_t argb);
    uint32_t GetBkColor() const { return bkColor_; }
    virtual void SetBkImage(std::wstring_view image);
    std::wstring GetBkImage() const { return bkImage_.toStdWString(); }
    void SetForeImage(std::wstring_view image);
    std::wstring GetForeImage() const { return foreImage_.toStdWString(); }
    void SetFont(int id);
    int GetFont() const { return fontId_; }
    void SetToolTip(std::wstring_view text);
    std::wstring GetToolTip() const { return toolTip().toStdWString(); }
    void SetTag(uintptr_t tag) { tag_ = tag; }
    uintptr_t GetTag() const { return tag_; }
    void SetUserData(std::wstring_view data) { userData_ = data; }
    std::wstring GetUserData() const { return userData_; }

    // Position inside the parent; a control without one fills its parent.
    void SetPos(const QRect& pos);
    QRect GetPos() const { return geometry(); }
    void SetFixedHeight(int height);
    void SetFixedWidth(int width);

    // A layout attribute by its name, as the layout files write it.
    virtual void SetAttribute(const QString& name, const QString& value);

    // The container this control was added to (none for a window's root).
    CContainerUI* GetParent() const { return parent_; }
    CPaintManagerUI* GetManager() const { return manager_; }
    // The control with that name among this control and its descendants.
    virtual CControlUI* FindSubControl(std::wstring_view name);

    // What a click does (buttons: "click"; options: also the selection); false when disabled.
    virtual bool Activate();

    // Raises a notification of this control to the window's listeners.
    void SendNotify(const std::wstring& type, platform::WParam wParam = 0,
                    platform::LParam lParam = 0);

    // Called by containers and lists.
    virtual void SetOwner(CPaintManagerUI* manager, CContainerUI* parent);
    void SetListOwner(CListUI* list) { listOwner_ = list; }
    CListUI* GetListOwner() const { return listOwner_; }
    bool HasPos() const { return hasPos_; }
    void FillParent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Paint steps, in order.
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintForeImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);

    // Draws an image string into `rect` (or into its dest part); false when nothing was drawn.
    bool DrawImage(QPainter& painter, const QString& image, const QRect& rect) const;
    QFont ResolveFont() const;
    uint32_t CurrentTextColor() const;
    QRect TextRect() const;
    int AlignmentFlags() const;
    virtual void ManagerChanged() {}

    bool hot_ = false;
    bool pushed_ = false;

    std::wstring name_;
    std::wstring text_;
    std::wstring userData_;
    uintptr_t tag_ = 0;
    uint32_t textColor_ = 0;
    uint32_t disabledTextColor_ = 0;
    uint32_t bkColor_ = 0;
    QString bkImage_;
    QString foreImage_;
    int fontId_ = -1;
    int hAlign_ = Qt::AlignHCenter;
    int vAlign_ = Qt::AlignVCenter;
    QMargins textPadding_;
    bool wrap_ = false;
    bool hasPos_ = false;
    bool visible_ = true;
    CPaintManagerUI* manager_ = nullptr;
    CContainerUI* parent_ = nullptr;
    CListUI* listOwner_ = nullptr;
};
