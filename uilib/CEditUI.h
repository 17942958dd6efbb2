#pragma once
// A one-line text input. Typing raises "textchanged" (setting the text from code does not);
// losing the focus raises "killfocus".
#include "uilib/CLabelUI.h"

class QLineEdit;

class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::wstring GetClass() const override { return L"Edit"; }

    std::wstring GetText() const override;
    void SetText(std::wstring_view text) override;
    void SetEnabled(bool enabled = true) override;
    void SetFocus() override;
    bool IsFocused() const override;

    void SetPasswordMode(bool password);
    bool IsPasswordMode() const;
    void SetMaxChar(int maxChars);
    int GetMaxChar() const;
    void SetTipValue(std::wstring_view tip);
    std::wstring GetTipValue() const;
    void SetTipValueColor(uint32_t argb);
    void SetNativeEditBkColor(uint32_t argb);
    uint32_t GetNativeEditBkColor() const { return nativeBkColor_; }
    void SetSel(int start, int end);
    void SetReadOnly(bool readOnly);

    void SetAttribute(const QString& name, const QString& value) override;
    // The editing field itself (tests type into it).
    QLineEdit* LineEdit() const { return edit_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void PaintText(QPainter& painter) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ManagerChanged() override;

private:
    void ApplyPalette();

    QLineEdit* edit_;
    uint32_t nativeBkColor_ = 0;
    uint32_t tipColor_ = 0xFF999999u;
};
