#pragma once
// Text that may wrap and may hold links written as {a target}label{/a} (with showhtml="true");
// also {b}..{/b} and {n} for a line break. A click on a link raises "link" (wParam: its index).
#include "uilib/CLabelUI.h"

#include <QStringList>

class QTextDocument;

class CTextUI : public CLabelUI {
public:
    CTextUI();
    ~CTextUI() override;
    std::wstring GetClass() const override { return L"Text"; }

    void SetText(std::wstring_view text) override;
    void SetAttribute(const QString& name, const QString& value) override;
    // The target of the link at that index ("" when there is none).
    std::wstring GetLinkContent(int index) const;
    int GetLinkCount() const { return static_cast<int>(links_.size()); }

protected:
    void PaintText(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QTextDocument* Document(); // laid out for the current size, font and colour
    // Where the laid-out document starts within `area`, by the vertical alignment.
    int DocumentTop(const QTextDocument& doc, const QRect& area) const;
    int LinkAt(const QPoint& pos);

    bool html_ = false;
    QStringList links_;
    QTextDocument* document_ = nullptr;
};
