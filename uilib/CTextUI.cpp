#include "uilib/CTextUI.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTextDocument>

namespace {
// The markup as HTML, with the link targets in order.
QString ToHtml(const QString& markup, QStringList* links) {
    static const QRegularExpression tag(QStringLiteral(R"(\{(/?)(a|b|i|n)(?:\s+([^}]*))?\})"));
    QString html;
    int at = 0;
    for (auto it = tag.globalMatch(markup); it.hasNext();) {
        const auto m = it.next();
        html += markup.mid(at, m.capturedStart() - at).toHtmlEscaped();
        at = m.capturedEnd();
        const bool close = !m.captured(1).isEmpty();
        const QString name = m.captured(2);
        if (name == QLatin1String("n")) {
            html += QStringLiteral("<br/>");
        } else if (name == QLatin1String("a")) {
            if (close) {
                html += QStringLiteral("</a>");
            } else {
                html += QStringLiteral("<a href=\"%1\">").arg(links->size());
                links->append(m.captured(3).trimmed());
            }
        } else {
            html += QStringLiteral("<%1%2>").arg(close ? QStringLiteral("/") : QString(), name);
        }
    }
    html += markup.mid(at).toHtmlEscaped();
    return html;
}
} // namespace

CTextUI::CTextUI() {
    wrap_ = true;
    setMouseTracking(true);
}

CTextUI::~CTextUI() {
    delete document_;
}

void CTextUI::SetText(std::wstring_view text) {
    CLabelUI::SetText(text);
    links_.clear();
    if (html_)
        ToHtml(QString::fromStdWString(text_), &links_);
}

void CTextUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("showhtml")) {
        html_ = uilib::ParseBool(value);
        SetText(std::wstring(text_));
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

std::wstring CTextUI::GetLinkContent(int index) const {
    return index >= 0 && index < links_.size() ? links_[index].toStdWString() : std::wstring();
}

QTextDocument* CTextUI::Document() {
    if (!document_)
        document_ = new QTextDocument;
    QStringList links;
    const QString color = uilib::ToQColor(CurrentTextColor()).name(QColor::HexRgb);
    const QString body = ToHtml(QString::fromStdWString(text_), &links);
    const char* align = hAlign_ == Qt::AlignLeft    ? "left"
                        : hAlign_ == Qt::AlignRight ? "right"
                                                    : "center";
    document_->setDefaultFont(ResolveFont());
    document_->setDocumentMargin(0);
    document_->setDefaultStyleSheet(
        QStringLiteral("a { color: #00BFB2; text-decoration: underline; }"));
    document_->setHtml(QStringLiteral("<div align=\"%1\" style=\"color:%2\">%3</div>")
                           .arg(QLatin1String(align), color, body));
    document_->setTextWidth(wrap_ ? TextRect().width() : -1);
    return document_;
}

int CTextUI::DocumentTop(const QTextDocument& doc, const QRect& area) const {
    const int h = static_cast<int>(doc.size().height());
    if (vAlign_ == Qt::AlignVCenter)
        return area.top() + (area.height() - h) / 2;
    if (vAlign_ == Qt::AlignBottom)
        return area.top() + area.height() - h;
    return area.top();
}

void CTextUI::PaintText(QPainter& painter) {
    if (!html_) {
        CLabelUI::PaintText(painter);
        return;
    }
    QTextDocument* doc = Document();
    const QRect area = TextRect();
    const int y = DocumentTop(*doc, area);
    painter.save();
    painter.translate(area.left(), y);
    painter.setClipRect(QRect(0, area.top() - y, area.width(), area.height()));
    doc->drawContents(&painter);
    painter.restore();
}

int CTextUI::LinkAt(const QPoint& pos) {
    if (!html_ || links_.isEmpty())
        return -1;
    QTextDocument* doc = Document();
    const QRect area = TextRect();
    const int y = DocumentTop(*doc, area);
    const QString anchor =
        doc->documentLayout()->anchorAt(QPointF(pos.x() - area.left(), pos.y() - y));
    bool ok = false;
    const int index = anchor.toInt(&ok);
    return ok ? index : -1;
}

void CTextUI::mousePressEvent(QMouseEvent* event) {
    if (LinkAt(event->position().toPoint()) >= 0)
        event->accept();
    else
        CLabelUI::mousePressEvent(event);
}

void CTextUI::mouseReleaseEvent(QMouseEvent* event) {
    const int index = LinkAt(event->position().toPoint());
    if (index >= 0 && IsEnabled()) {
        SendNotify(L"link", static_cast<platform::WParam>(index));
        event->accept();
    } else {
        CLabelUI::mouseReleaseEvent(event);
    }
}

void CTextUI::mouseMoveEvent(QMouseEvent* event) {
    setCursor(LinkAt(event->position().toPoint()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    event->ignore();
}
