#include "platform/Socket.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform;

namespace {

using Ms = std::chrono::milliseconds;

Ms Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start);
}

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartSockets());
        listener = ListenTcp("127.0.0.1", 0, 4);
        ASSERT_NE(listener, kNoSocket);
        port = SocketLocalPort(listener);
        ASSERT_NE(port, 0);
    }
    void TearDown() override { CloseSocket(listener); }

    SocketHandle listener = kNoSocket;
    uint16_t port = 0;
};

TEST_F(SocketTest, LoopbackRoundTripEndsWithOrderlyClose) {
    ConnectError error = ConnectError::Create;
    SocketHandle client = ConnectTcp("127.0.0.1", port, 2000, &error);
    ASSERT_NE(client, kNoSocket);
    EXPECT_EQ(error, ConnectError::None);
    SocketHandle server = AcceptTcp(listener, 2000);
    ASSERT_NE(server, kNoSocket);

    const std::string hello = "hello over loopback";
    ASSERT_TRUE(SendAll(client, hello.data(), hello.size()));
    ShutdownSend(client);

    std::string got;
    char buffer[8];
    long n;
    while ((n = ReceiveSome(server, buffer, sizeof buffer)) > 0)
        got.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(n, 0) << "the peer's shutdown reads as an orderly close";
    EXPECT_EQ(got, hello);

    // The other direction still works after the client stopped sending.
    ASSERT_TRUE(SendAll(server, "ok", 2));
    EXPECT_EQ(ReceiveSome(client, buffer, sizeof buffer), 2);
    CloseSocket(server);
    CloseSocket(client);
}

TEST_F(SocketTest, SilentPeerEndsReceiveAndAcceptWithinTheirTimeOuts) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(AcceptTcp(listener, 150), kNoSocket);
    EXPECT_GE(Since(start), Ms(100));
    EXPECT_LT(Since(start), Ms(3000));

    SocketHandle client = ConnectTcp("localhost", port, 2000);
    ASSERT_NE(client, kNoSocket);
    SocketHandle server = AcceptTcp(listener, 2000);
    ASSERT_NE(server, kNoSocket);
    ASSERT_TRUE(SetSocketTimeouts(client, 150, 150));
    char buffer[4];
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReceiveSome(client, buffer, sizeof buffer), -1);
    EXPECT_GE(Since(start), Ms(100));
    EXPECT_LT(Since(start), Ms(3000));
    CloseSocket(server);
    CloseSocket(client);
}

TEST_F(SocketTest, ClosedPortIsRefusedAtOnce) {
    CloseSocket(listener);
    listener = kNoSocket;
    ConnectError error = ConnectError::None;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ConnectTcp("127.0.0.1", port, 5000, &error), kNoSocket);
    EXPECT_EQ(error, ConnectError::Connect);
    EXPECT_LT(Since(start), Ms(4000)) << "a refusal must not wait for the time-out";
}

TEST(SocketConnect, GivesUpAfterItsTimeOutWhenTheListenerIsFull) {
    ASSERT_TRUE(StartSockets());
    // A listener that never accepts, with the smallest queue: once the queue is full, further
    // connection attempts get no answer at all, as from a host that has vanished.
    SocketHandle full = ListenTcp("127.0.0.1", 0, 0);
    ASSERT_NE(full, kNoSocket);
    const uint16_t port = SocketLocalPort(full);
    std::vector<SocketHandle> queued;
    bool timedOut = false;
    for (int i = 0; i < 8 && !timedOut; ++i) {
        ConnectError error = ConnectError::None;
        auto start = std::chrono::steady_clock::now();
        SocketHandle s = ConnectTcp("127.0.0.1", port, 200, &error);
        if (s != kNoSocket) {
            queued.push_back(s);
            continue;
        }
        EXPECT_EQ(error, ConnectError::TimedOut);
        EXPECT_GE(Since(start), Ms(150));
        EXPECT_LT(Since(start), Ms(3000));
        timedOut = true;
    }
    for (SocketHandle s : queued)
        CloseSocket(s);
    CloseSocket(full);
    if (!timedOut)
        GTEST_SKIP() << "this system queued every connection; the time-out could not be reached";
}

} // namespace
