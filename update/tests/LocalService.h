#pragma once
// What the update tests share: one certificate authority per test executable (its PEM file in
// the scratch folder, for the client's CA bundle setting), a local service per test with short
// time-outs, and clocks that make the progress reports predictable.
#include "TestCertificates.h"
#include "TestEnvironment.h"
#include "UpdateTestServer.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "update/UpdateConfig.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

inline const TestCertificateAuthority& TestCa() {
    static TestCertificateAuthority ca("Kelmora Test CA");
    return ca;
}

inline const std::string& TestCaFile() {
    static const std::string file = [] {
        auto path = testing_env::ScratchDir() / "test-ca.pem";
        TestCa().WritePem(path);
        return path.string();
    }();
    return file;
}

// A server certificate of the test CA for the names a client on this machine uses.
inline TlsIdentity LoopbackIdentity() {
    return TestCa().IssueServer({"localhost"}, {"127.0.0.1"});
}

class LocalServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::StartSockets());
        ASSERT_TRUE(TestCa().Valid());
        server = std::make_unique<UpdateTestServer>(LoopbackIdentity());
        ASSERT_TRUE(server->Start());
        config.serviceHost = server->Host();
        config.https.caBundle = TestCaFile();
        config.https.connectTimeoutMs = 2000;
        config.https.readTimeoutMs = 2000;
    }
    void TearDown() override {
        server->Stop();
        platform::SetClock(nullptr);
    }

    void Configure(const std::function<void(ServiceBehaviour&)>& change) {
        ServiceBehaviour b = server->Behaviour();
        change(b);
        server->SetBehaviour(b);
    }

    std::string Url(const std::string& path) const { return "https://" + server->Host() + path; }

    std::unique_ptr<UpdateTestServer> server;
    UpdateConfig config;
};

// A clock that advances by `step` ms at every reading: with a step of 1000 every chunk of a
// download comes "a second later"; with 0 the first second never ends.
class SteppingClock : public platform::Clock {
public:
    explicit SteppingClock(uint64_t step) : step_(step) {}
    void SleepMs(uint32_t ms) override { now_ += ms; }
    uint64_t NowMs() override { return now_ += step_; }

private:
    uint64_t step_;
    std::atomic<uint64_t> now_{5000};
};

// Records every progress report of a download.
struct ProgressReport {
    int state;
    int percent;
};
struct ProgressLog {
    std::vector<ProgressReport> reports;
    static void Callback(int state, int percent, void* user) {
        static_cast<ProgressLog*>(user)->reports.push_back({state, percent});
    }
};
