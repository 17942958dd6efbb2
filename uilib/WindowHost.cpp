#include "uilib/WindowHost.h"

#include "uilib/CControlUI.h"
#include "uilib/CPaintManagerUI.h"
#include "uilib/CWindowWnd.h"
#include "uilib/LayoutValues.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace uilib {

namespace {
constexpr int kShadowMargin = 12;
} // namespace

WindowHost::WindowHost(CWindowWnd* owner, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags | Qt::FramelessWindowHint), owner_(owner), client_(new QWidget(this)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void WindowHost::SetManager(CPaintManagerUI* manager) {
    manager_ = manager;
    if (manager_->shadow || manager_->roundCorner > 1) {
        setAttribute(Qt::WA_TranslucentBackground);
        margin_ = manager_->shadow ? kShadowMargin : 0;
    }
    if (manager_->initSize.isValid())
        SetClientSize(manager_->initSize);
}

void WindowHost::SetClientSize(const QSize& size) {
    resize(size.width() + 2 * margin_, size.height() + 2 * margin_);
}

void WindowHost::resizeEvent(QResizeEvent*) {
    client_->setGeometry(rect().adjusted(margin_, margin_, -margin_, -margin_));
    if (manager_ && manager_->roundCorner > 1) {
        QPainterPath path;
        path.addRoundedRect(QRectF(client_->rect()), manager_->roundCorner, manager_->roundCorner);
        client_->setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        client_->clearMask();
    }
    if (manager_ && manager_->GetRoot())
        manager_->GetRoot()->setGeometry(client_->rect());
}

void WindowHost::paintEvent(QPaintEvent*) {
    if (!manager_)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(client_->geometry());
    const qreal radius = manager_->roundCorner;
    if (margin_ > 0) {
        // A soft shadow: rings of falling opacity, a little lower than the window.
        painter.setPen(Qt::NoPen);
        for (int i = margin_; i > 0; --i) {
            const qreal t = qreal(margin_ - i + 1) / margin_;
            painter.setBrush(QColor(0, 0, 0, int(22 * t * t)));
            painter.drawRoundedRect(body.adjusted(-i, -i + 2, i, i + 2), radius + i, radius + i);
        }
    }
    painter.setPen(Qt::NoPen);
    // Under the content's hard-edged mask, so its anti-aliased rim takes the content's colour
    // (the root container's, which follows the display mode) rather than the layout's default.
    uint32_t rim = manager_->bkColor ? manager_->bkColor : 0xFFFFFFFFu;
    if (const CControlUI* root = manager_->GetRoot(); root && root->GetBkColor())
        rim = root->GetBkColor();
    painter.setBrush(ToQColor(rim));
    painter.drawRoundedRect(body, radius, radius);
}

void WindowHost::mousePressEvent(QMouseEvent* event) {
    // Presses no control took: inside the caption band they drag the window.
    const QPoint client = client_->mapFrom(this, event->position().toPoint());
    if (manager_ && event->button() == Qt::LeftButton && client.y() >= 0 &&
        client.y() < manager_->caption && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void WindowHost::closeEvent(QCloseEvent* event) {
    // Closing from the system ends the window the library's way (close code 0).
    event->ignore();
    if (owner_)
        owner_->Close(0);
}

} // namespace uilib
