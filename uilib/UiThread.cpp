#include "uilib/UiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace uilib {

bool IsUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void RunOnUiThread(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || IsUiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

} // namespace uilib
