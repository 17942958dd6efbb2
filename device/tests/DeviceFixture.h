#pragma once
// The real DiskManager over the real stand-in library, on simulated drives in a fresh state
// folder, with a message recorder and a virtual clock.
#include "RecordingMessageSink.h"
#include "TestEnvironment.h"
#include "device/DiskManager.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "sim/SimControl.h"
#include "sim/SimState.h"
#include "sim/SimStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace device_test {

// Time that passes only when someone sleeps: a sleep returns at once (long ones after a real
// millisecond, so that polling loops do not spin), and the clock reads the sum of all sleeps.
class VirtualClock : public platform::Clock {
public:
    void SleepMs(uint32_t ms) override {
        now_ += ms;
        if (ms >= 100)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            std::this_thread::yield();
    }
    uint64_t NowMs() override { return now_; }

private:
    std::atomic<uint64_t> now_{0};
};

inline platform::WindowHandle const kWindow = reinterpret_cast<platform::WindowHandle>(0x5150);
inline platform::WindowHandle const kReplyWindow = reinterpret_cast<platform::WindowHandle>(0x7070);

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        simDir = testing_env::MakeTempDir("sim");
        platform::SetEnv("KELMORA_SIM_DIR", platform::PathToUtf8(simDir));
        platform::SetEnv("KELMORA_SIM_RESET_MS", "20");
        clock = std::make_shared<VirtualClock>();
        platform::SetClock(clock);
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
    }

    void TearDown() override {
        manager.reset(); // waits for its workers
        platform::SetMessageSink(nullptr);
        platform::SetClock(nullptr);
    }

    // The manager over the stand-in; skips loudly when the library is not beside the tests.
    DiskManager& Manager(const std::string& library = kBridgeLibraryName) {
        manager = std::make_unique<DiskManager>(kWindow, library);
        if (library == kBridgeLibraryName && !manager->IsBound())
            ADD_FAILURE() << "the stand-in library was not bound from beside the test executable";
        return *manager;
    }

    int Attach(const std::string& password = "", const std::string& product = "") {
        std::string error;
        int id = sim::Attach(password, product, &error);
        EXPECT_NE(id, 0) << error;
        return id;
    }

    void Fault(int drive, const char* kind, int count = 1) {
        std::string error;
        ASSERT_TRUE(sim::SetFault(drive, kind, count, &error)) << error;
    }

    sim::Drive Drive(int id) {
        sim::State s;
        EXPECT_TRUE(sim::Snapshot(s));
        sim::Drive* d = s.Find(id);
        return d ? *d : sim::Drive{};
    }

    // Lists the drives (filling the manager's table) and returns the entries.
    std::vector<std::unique_ptr<DriveEntry>> List() {
        std::vector<std::unique_ptr<DriveEntry>> list;
        manager->ListDrives(list);
        return list;
    }

    // Messages with this id recorded so far.
    std::vector<testing_env::RecordedMessage> Recorded(uint32_t id) {
        std::vector<testing_env::RecordedMessage> out;
        for (const auto& m : sink->Messages())
            if (m.message == id)
                out.push_back(m);
        return out;
    }

    // Waits for the first of the two messages; returns its id (0 when none came).
    uint32_t WaitForEither(uint32_t a, uint32_t b) {
        uint32_t got = 0;
        sink->WaitFor([&](const std::vector<testing_env::RecordedMessage>& all) {
            for (const auto& m : all)
                if (m.message == a || m.message == b) {
                    got = m.message;
                    return true;
                }
            return false;
        });
        return got;
    }

    std::filesystem::path simDir;
    std::shared_ptr<VirtualClock> clock;
    std::shared_ptr<testing_env::RecordingMessageSink> sink;
    std::unique_ptr<DiskManager> manager;
};

} // namespace device_test
