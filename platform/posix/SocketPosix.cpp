#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

namespace platform {
namespace {

int Fd(SocketHandle socket) {
    return static_cast<int>(socket);
}

bool SetBlocking(int fd, bool blocking) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    flags = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

// poll() on one descriptor, resumed after signals; 1 ready, 0 time-out, -1 error.
int WaitFor(int fd, short events, uint32_t timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int rc = poll(&p, 1, timeoutMs ? static_cast<int>(timeoutMs) : -1);
        if (rc < 0 && errno == EINTR)
            continue;
        return rc < 0 ? -1 : (rc == 0 ? 0 : 1);
    }
}

timeval ToTimeval(uint32_t ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
    return tv;
}

} // namespace

bool StartSockets() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
    return true;
}

SocketHandle ConnectTcp(const std::string& host, uint16_t port, uint32_t timeoutMs,
                        ConnectError* error) {
    auto fail = [&](ConnectError e, int fd) {
        if (fd >= 0)
            ::close(fd);
        if (error)
            *error = e;
        return kNoSocket;
    };
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return fail(ConnectError::Create, -1);

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return fail(ConnectError::Resolve, fd);
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    address.sin_port = htons(port);

    if (!SetBlocking(fd, false))
        return fail(ConnectError::Connect, fd);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS)
            return fail(ConnectError::Connect, fd);
        int ready = WaitFor(fd, POLLOUT, timeoutMs);
        if (ready == 0)
            return fail(ConnectError::TimedOut, fd);
        int soError = 0;
        socklen_t len = sizeof soError;
        if (ready < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError)
            return fail(ConnectError::Connect, fd);
    }
    if (!SetBlocking(fd, true))
        return fail(ConnectError::Connect, fd);
    if (error)
        *error = ConnectError::None;
    return fd;
}

bool SetSocketTimeouts(SocketHandle socket, uint32_t receiveMs, uint32_t sendMs) {
    timeval rcv = ToTimeval(receiveMs);
    timeval snd = ToTimeval(sendMs);
    return setsockopt(Fd(socket), SOL_SOCKET, SO_RCVTIMEO, &rcv, sizeof rcv) == 0 &&
           setsockopt(Fd(socket), SOL_SOCKET, SO_SNDTIMEO, &snd, sizeof snd) == 0;
}

SocketHandle ListenTcp(const std::string& address, uint16_t port, int backlog) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return kNoSocket;
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(fd, backlog) != 0) {
        ::close(fd);
        return kNoSocket;
    }
    return fd;
}

uint16_t SocketLocalPort(SocketHandle socket) {
    sockaddr_in local{};
    socklen_t len = sizeof local;
    if (getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&local), &len) != 0)
        return 0;
    return ntohs(local.sin_port);
}

SocketHandle AcceptTcp(SocketHandle listener, uint32_t timeoutMs) {
    if (WaitFor(Fd(listener), POLLIN, timeoutMs) != 1)
        return kNoSocket;
    int fd = ::accept(Fd(listener), nullptr, nullptr);
    return fd < 0 ? kNoSocket : fd;
}

bool SendAll(SocketHandle socket, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(Fd(socket), p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

long ReceiveSome(SocketHandle socket, void* buffer, size_t size) {
    for (;;) {
        ssize_t n = ::recv(Fd(socket), buffer, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : static_cast<long>(n);
    }
}

void ShutdownSend(SocketHandle socket) {
    ::shutdown(Fd(socket), SHUT_WR);
}

void CloseSocket(SocketHandle socket) {
    if (socket >= 0)
        ::close(Fd(socket));
}

} // namespace platform
