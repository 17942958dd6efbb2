#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>

namespace platform {
namespace {

SOCKET Sock(SocketHandle socket) {
    return static_cast<SOCKET>(socket);
}

SocketHandle Handle(SOCKET s) {
    return s == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(s);
}

bool SetBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

// select() on one socket: 1 ready, 0 time-out, -1 error. `forWrite` also reports a failed
// connection, which Windows signals in the exception set.
int WaitFor(SOCKET s, bool forWrite, uint32_t timeoutMs) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval tv{};
    tv.tv_sec = static_cast<long>(timeoutMs / 1000);
    tv.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
    int rc = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed,
                    timeoutMs ? &tv : nullptr);
    if (rc == SOCKET_ERROR)
        return -1;
    if (rc == 0)
        return 0;
    return FD_ISSET(s, &failed) ? -1 : 1;
}

} // namespace

bool StartSockets() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        WSADATA data;
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    });
    return started;
}

SocketHandle ConnectTcp(const std::string& host, uint16_t port, uint32_t timeoutMs,
                        ConnectError* error) {
    auto fail = [&](ConnectError e, SOCKET s) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        if (error)
            *error = e;
        return kNoSocket;
    };
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return fail(ConnectError::Create, INVALID_SOCKET);

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return fail(ConnectError::Resolve, s);
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    freeaddrinfo(found);
    address.sin_port = htons(port);

    if (!SetBlocking(s, false))
        return fail(ConnectError::Connect, s);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return fail(ConnectError::Connect, s);
        int ready = WaitFor(s, true, timeoutMs);
        if (ready == 0)
            return fail(ConnectError::TimedOut, s);
        int soError = 0;
        int len = sizeof soError;
        if (ready < 0 ||
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0 ||
            soError)
            return fail(ConnectError::Connect, s);
    }
    if (!SetBlocking(s, true))
        return fail(ConnectError::Connect, s);
    if (error)
        *error = ConnectError::None;
    return Handle(s);
}

bool SetSocketTimeouts(SocketHandle socket, uint32_t receiveMs, uint32_t sendMs) {
    DWORD rcv = receiveMs;
    DWORD snd = sendMs;
    return setsockopt(Sock(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&rcv),
                      sizeof rcv) == 0 &&
           setsockopt(Sock(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&snd),
                      sizeof snd) == 0;
}

SocketHandle ListenTcp(const std::string& address, uint16_t port, int backlog) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return kNoSocket;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        ::bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::listen(s, backlog) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    return Handle(s);
}

uint16_t SocketLocalPort(SocketHandle socket) {
    sockaddr_in local{};
    int len = sizeof local;
    if (getsockname(Sock(socket), reinterpret_cast<sockaddr*>(&local), &len) != 0)
        return 0;
    return ntohs(local.sin_port);
}

SocketHandle AcceptTcp(SocketHandle listener, uint32_t timeoutMs) {
    if (WaitFor(Sock(listener), false, timeoutMs) != 1)
        return kNoSocket;
    return Handle(::accept(Sock(listener), nullptr, nullptr));
}

bool SendAll(SocketHandle socket, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
        int n = ::send(Sock(socket), p, chunk, 0);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

long ReceiveSome(SocketHandle socket, void* buffer, size_t size) {
    int chunk = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
    int n = ::recv(Sock(socket), static_cast<char*>(buffer), chunk, 0);
    return n < 0 ? -1 : n;
}

void ShutdownSend(SocketHandle socket) {
    ::shutdown(Sock(socket), SD_SEND);
}

void CloseSocket(SocketHandle socket) {
    if (socket != kNoSocket)
        closesocket(Sock(socket));
}

} // namespace platform
