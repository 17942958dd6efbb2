#pragma once
// A drive manager bound to the real stand-in library, with one simulated drive attached, the
// fast clock, a message recorder in place of the window and the module's trace lines kept.
// The simulated drive is played in-process through the same state the library uses.
#include "../HookDoubles.h"
#include "RecordingMessageSink.h"
#include "device/DiskManager.h"
#include "device/WorkerMessages.h"
#include "fingerprint/CustomerSpace.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "sim/SimControl.h"
#include "sim/SimStore.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace standin {

using Event = std::pair<int, int>; // (wParam, lParam)

inline platform::WindowHandle const kWindow = reinterpret_cast<platform::WindowHandle>(0x2126);

class SimulatedDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetEnv("KELMORA_SIM_RESET_MS", "20");
        std::string error;
        ASSERT_TRUE(sim::ClearAll(&error)) << error;
        platform::SetClock(std::make_shared<platform::FastClock>(100));
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
        manager = std::make_unique<DiskManager>(kWindow);
        if (!manager->IsBound())
            GTEST_SKIP() << "the stand-in bridge library did not bind beside the test";
        // Keep the module's trace lines (the manager installs a sink that drops them).
        hook_doubles::Install();
        InstallFingerprintHooks(manager->sendHook, manager->receiveHook, manager->writeHook,
                                manager->readHook, hook_doubles::Trace);
    }

    void TearDown() override {
        if (manager)
            manager->workerRun = 0;
        manager.reset();
        platform::SetMessageSink(nullptr);
        platform::SetClock(nullptr);
    }

    // Attaches a drive (locked when a password is given) and lists it; returns its index.
    int AttachDrive(const std::string& password = "") {
        std::string error;
        simDrive = sim::Attach(password, "", &error);
        EXPECT_NE(simDrive, 0) << error;
        std::vector<std::unique_ptr<DriveEntry>> list;
        manager->ListDrives(list);
        EXPECT_EQ(list.size(), 1u);
        return list.empty() ? -1 : list.front()->index;
    }

    // Changes the simulated drive directly.
    template <typename Fn> void Change(Fn fn) {
        ASSERT_TRUE(sim::Transact([&](sim::State& s) {
            sim::Drive* d = s.Find(simDrive);
            if (d)
                fn(*d);
            return d != nullptr;
        }));
    }
    sim::Drive Drive() {
        sim::State s;
        EXPECT_TRUE(sim::Snapshot(s));
        sim::Drive* d = s.Find(simDrive);
        return d ? *d : sim::Drive{};
    }
    customdata Area() {
        customdata area;
        auto bytes = Drive().customData;
        std::memcpy(&area, bytes.data(), sizeof area);
        return area;
    }
    void SetArea(const customdata& area) {
        Change([&](sim::Drive& d) { std::memcpy(d.customData.data(), &area, sizeof area); });
    }

    void Touch(const std::string& finger) {
        std::string error;
        ASSERT_TRUE(sim::Touch(finger, simDrive, &error)) << error;
    }
    void Lift() {
        std::string error;
        ASSERT_TRUE(sim::Lift(simDrive, &error)) << error;
    }
    void Fault(const std::string& kind, int count) {
        std::string error;
        ASSERT_TRUE(sim::SetFault(simDrive, kind, count, &error)) << error;
    }

    // (wParam, lParam) of every message `id` so far.
    std::vector<Event> Events(uint32_t id) {
        std::vector<Event> out;
        for (const auto& m : sink->Messages())
            if (m.message == id)
                out.emplace_back(int(m.wParam), int(m.lParam));
        return out;
    }

    // Waits until message `id` has delivered, at position `from` or later, an event that
    // `matches`; returns its position among that message's events (-1 after the time-out).
    int WaitForMatch(uint32_t id, size_t from, const std::function<bool(const Event&)>& matches) {
        int found = -1;
        sink->WaitFor([&](const std::vector<testing_env::RecordedMessage>& all) {
            size_t n = 0;
            for (const auto& m : all) {
                if (m.message != id)
                    continue;
                if (n >= from && matches(Event(int(m.wParam), int(m.lParam)))) {
                    found = int(n);
                    return true;
                }
                ++n;
            }
            return false;
        });
        return found;
    }
    // ... an event whose type is one of `types`.
    int WaitForType(uint32_t id, std::vector<int> types, size_t from = 0) {
        return WaitForMatch(id, from, [&](const Event& e) {
            return std::find(types.begin(), types.end(), e.first) != types.end();
        });
    }
    // ... exactly `event`.
    int WaitForEvent(uint32_t id, Event event, size_t from = 0) {
        return WaitForMatch(id, from, [&](const Event& e) { return e == event; });
    }

    // Waits (real time, bounded) until no fingerprint worker holds the worker mutex.
    bool WaitForWorkersToEnd() {
        for (int i = 0; i < 1000; ++i) {
            if (manager->workerMutex.try_lock()) {
                manager->workerMutex.unlock();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    std::shared_ptr<testing_env::RecordingMessageSink> sink;
    std::unique_ptr<DiskManager> manager;
    int simDrive = 0;
};

// Consecutive repeats folded into one: the polls every 200 ms repeat the same event.
inline std::vector<Event> Folded(const std::vector<Event>& events) {
    std::vector<Event> out;
    for (const auto& e : events)
        if (out.empty() || out.back() != e)
            out.push_back(e);
    return out;
}

} // namespace standin
