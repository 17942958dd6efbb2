#pragma once
// The Qt widget of a CWindowWnd: a frameless top-level window with optional rounded corners
// and drop shadow around a client area of the layout's size. Internal to the library.
#include <QWidget>

class CWindowWnd;
class CPaintManagerUI;

namespace uilib {

class WindowHost : public QWidget {
public:
    WindowHost(CWindowWnd* owner, QWidget* parent, Qt::WindowFlags flags);

    CWindowWnd* Owner() const { return owner_; }
    void Detach() { owner_ = nullptr; }
    void SetManager(CPaintManagerUI* manager);
    CPaintManagerUI* Manager() const { return manager_; }
    QWidget* Client() const { return client_; }
    int ShadowMargin() const { return margin_; }
    void SetClientSize(const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CWindowWnd* owner_;
    CPaintManagerUI* manager_ = nullptr;
    QWidget* client_;
    int margin_ = 0;
};

} // namespace uilib
