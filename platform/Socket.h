#pragma once
// IPv4 stream sockets with time-outs: the update client's connections and the local services that
// tests talk to. Windows sockets 2.2 on Windows, BSD sockets elsewhere. Every call blocks at most
// for the time-out it is given (0 means no limit), so a silent peer cannot hang a thread.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A socket of either system, widened to hold a Windows SOCKET.
using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Starts the system's socket library (Windows sockets 2.2) once per process and, on POSIX
// systems, ignores SIGPIPE so that a write to a closed connection fails instead of ending the
// process. Safe to call from any thread, any number of times; false when sockets are unusable.
bool StartSockets();

enum class ConnectError { None, Create, Resolve, Connect, TimedOut };

// A stream socket connected to the first IPv4 address of `host` on `port`. Gives up after
// `timeoutMs` of waiting for the connection. On failure returns kNoSocket and names the step.
SocketHandle ConnectTcp(const std::string& host, uint16_t port, uint32_t timeoutMs,
                        ConnectError* error = nullptr);

// Time-outs of every later blocking receive and send on the socket (0: wait without limit).
bool SetSocketTimeouts(SocketHandle socket, uint32_t receiveMs, uint32_t sendMs);

// A socket listening on the IPv4 `address` (dotted text) and `port` (0: chosen by the system).
SocketHandle ListenTcp(const std::string& address, uint16_t port, int backlog);
// The local port a socket is bound to; 0 when unknown.
uint16_t SocketLocalPort(SocketHandle socket);
// The next connection on `listener`, or kNoSocket when none arrived within `timeoutMs`.
SocketHandle AcceptTcp(SocketHandle listener, uint32_t timeoutMs);

// Sends every byte; false on an error or a send time-out.
bool SendAll(SocketHandle socket, const void* data, size_t size);
// One receive: the number of bytes (> 0), 0 when the peer closed, -1 on an error or time-out.
long ReceiveSome(SocketHandle socket, void* buffer, size_t size);

// Ends the sending direction (the peer reads an orderly close) and keeps receiving possible.
void ShutdownSend(SocketHandle socket);
void CloseSocket(SocketHandle socket);

} // namespace platform
