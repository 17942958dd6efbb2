#include "uilib/CEditUI.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <QEvent>
#include <QLineEdit>

using uilib::ToQColor;

CEditUI::CEditUI() : edit_(new QLineEdit(this)) {
    hAlign_ = Qt::AlignLeft;
    edit_->setFrame(false);
    edit_->setAttribute(Qt::WA_MacShowFocusRect, false);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { SendNotify(L"textchanged"); });
    ApplyPalette();
}

std::wstring CEditUI::GetText() const {
    return edit_->text().toStdWString();
}

void CEditUI::SetText(std::wstring_view text) {
    edit_->setText(QString::fromStdWString(std::wstring(text)));
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    ApplyPalette();
}

void CEditUI::SetFocus() {
    edit_->setFocus(Qt::OtherFocusReason);
}

bool CEditUI::IsFocused() const {
    QWidget* top = window();
    return top && top->focusWidget() == edit_;
}

void CEditUI::SetPasswordMode(bool password) {
    edit_->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

bool CEditUI::IsPasswordMode() const {
    return edit_->echoMode() == QLineEdit::Password;
}

void CEditUI::SetMaxChar(int maxChars) {
    edit_->setMaxLength(maxChars > 0 ? maxChars : 32767);
}

int CEditUI::GetMaxChar() const {
    return edit_->maxLength();
}

void CEditUI::SetTipValue(std::wstring_view tip) {
    edit_->setPlaceholderText(QString::fromStdWString(std::wstring(tip)));
}

std::wstring CEditUI::GetTipValue() const {
    return edit_->placeholderText().toStdWString();
}

void CEditUI::SetTipValueColor(uint32_t argb) {
    tipColor_ = argb;
    ApplyPalette();
}

void CEditUI::SetNativeEditBkColor(uint32_t argb) {
    nativeBkColor_ = argb;
    ApplyPalette();
}

void CEditUI::SetSel(int start, int end) {
    if (end < 0)
        end = edit_->text().size();
    edit_->setSelection(start, end - start);
}

void CEditUI::SetReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

void CEditUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("password")) {
        SetPasswordMode(uilib::ParseBool(value));
    } else if (name == QLatin1String("tipvalue")) {
        SetTipValue(value.toStdWString());
    } else if (name == QLatin1String("tipvaluecolor")) {
        SetTipValueColor(uilib::ParseColor(value).value_or(tipColor_));
    } else if (name == QLatin1String("maxchar")) {
        SetMaxChar(value.toInt());
    } else if (name == QLatin1String("nativebkcolor")) {
        SetNativeEditBkColor(uilib::ParseColor(value).value_or(0));
    } else if (name == QLatin1String("readonly")) {
        SetReadOnly(uilib::ParseBool(value));
    } else {
        CLabelUI::SetAttribute(name, value);
        if (name == QLatin1String("textcolor") || name == QLatin1String("disabledtextcolor") ||
            name == QLatin1String("font"))
            ApplyPalette();
        if (name == QLatin1String("align"))
            edit_->setAlignment(Qt::Alignment(hAlign_) | Qt::AlignVCenter);
        if (name == QLatin1String("textpadding"))
            edit_->setGeometry(TextRect());
    }
}

void CEditUI::resizeEvent(QResizeEvent* event) {
    CLabelUI::resizeEvent(event);
    edit_->setGeometry(TextRect());
}

void CEditUI::PaintText(QPainter&) {
    // The editing field paints its own text.
}

bool CEditUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::FocusOut)
        SendNotify(L"killfocus");
    return CLabelUI::eventFilter(watched, event);
}

void CEditUI::ManagerChanged() {
    ApplyPalette();
}

void CEditUI::ApplyPalette() {
    QPalette palette = edit_->palette();
    const QColor text = ToQColor(CurrentTextColor() | 0xFF000000u);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Disabled, QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, ToQColor(tipColor_));
    palette.setColor(QPalette::Disabled, QPalette::PlaceholderText, ToQColor(tipColor_));
    const QColor base = nativeBkColor_ ? ToQColor(nativeBkColor_) : QColor(Qt::transparent);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    edit_->setPalette(palette);
    edit_->setAutoFillBackground(nativeBkColor_ != 0);
    edit_->setFont(ResolveFont());
    edit_->setEnabled(IsEnabled());
}
