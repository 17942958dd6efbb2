#include "uilib/CGifAnimUI.h"

#include "uilib/CPaintManagerUI.h"
#include "uilib/LayoutValues.h"

#include <QBuffer>
#include <QMovie>
#include <QPainter>

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI() {
    delete movie_;
    delete buffer_;
}

void CGifAnimUI::SetBkImage(std::wstring_view image) {
    CControlUI::SetBkImage(image);
    LoadMovie();
}

bool CGifAnimUI::IsPlaying() const {
    return movie_ && movie_->state() == QMovie::Running;
}

void CGifAnimUI::LoadMovie() {
    delete movie_;
    delete buffer_;
    movie_ = nullptr;
    buffer_ = nullptr;
    const auto parsed = uilib::ParseImageString(bkImage_);
    if (!parsed || !CPaintManagerUI::Skin().Contains(parsed->file))
        return;
    buffer_ = new QBuffer;
    buffer_->setData(CPaintManagerUI::Skin().Read(parsed->file));
    buffer_->open(QIODevice::ReadOnly);
    movie_ = new QMovie(buffer_);
    QObject::connect(movie_, &QMovie::frameChanged, this, [this] { update(); });
    movie_->jumpToFrame(0);
    if (isVisible())
        movie_->start();
}

void CGifAnimUI::PaintBkImage(QPainter& painter) {
    if (!movie_) {
        CControlUI::PaintBkImage(painter);
        return;
    }
    const QPixmap frame = movie_->currentPixmap();
    if (frame.isNull())
        return;
    // Centred at its own size when it fits, else scaled down.
    QSize size = frame.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.drawPixmap(target, frame);
}

void CGifAnimUI::showEvent(QShowEvent*) {
    if (movie_ && movie_->state() == QMovie::Paused)
        movie_->setPaused(false);
    else if (movie_)
        movie_->start();
}

void CGifAnimUI::hideEvent(QHideEvent*) {
    if (movie_)
        movie_->setPaused(true);
}
