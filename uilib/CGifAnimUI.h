#pragma once
// An animated picture: its background image names a GIF of the skin, played while shown.
#include "uilib/CControlUI.h"

class QBuffer;
class QMovie;

class CGifAnimUI : public CControlUI {
public:
    CGifAnimUI();
    ~CGifAnimUI() override;
    std::wstring GetClass() const override { return L"GifAnim"; }

    void SetBkImage(std::wstring_view image) override;
    bool IsPlaying() const;

protected:
    void PaintBkImage(QPainter& painter) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void LoadMovie();

    QMovie* movie_ = nullptr;
    QBuffer* buffer_ = nullptr;
};
