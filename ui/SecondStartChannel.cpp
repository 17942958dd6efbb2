#include "ui/SecondStartChannel.h"

#include "platform/Paths.h"
#include "uilib/CWindowWnd.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

SecondStartChannel::SecondStartChannel(std::filesystem::path socketPath)
    : path_(std::move(socketPath)) {}

SecondStartChannel::~SecondStartChannel() {
    if (server_)
        server_->close();
}

bool SecondStartChannel::Listen(std::function<void()> raise) {
    server_ = std::make_unique<QLocalServer>();
    const QString name = QString::fromStdString(platform::PathToUtf8(path_));
    // Only the holder of the instance mutex listens, so a socket left by a crash is stale.
    QLocalServer::removeServer(name);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name))
        return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [server = server_.get(), raise = std::move(raise)] {
                         while (QLocalSocket* socket = server->nextPendingConnection()) {
                             QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                              &QObject::deleteLater);
                             raise();
                         }
                     });
    return true;
}

bool SecondStartChannel::Knock() const {
    const std::string path = platform::PathToUtf8(path_);
    sockaddr_un address{};
    if (path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    send(fd, "raise\n", 6, MSG_NOSIGNAL) == 6;
    close(fd);
    return ok;
}

void RaiseMainWindow(platform::WindowHandle handle) {
    CWindowWnd* window = CWindowWnd::FromHandle(handle);
    QWidget* widget = window ? window->GetWidget() : nullptr;
    if (!widget)
        return;
    if (widget->isMinimized())
        widget->showNormal();
    widget->raise();
    widget->activateWindow();
}
