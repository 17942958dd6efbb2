#include "SimulatedDrive.h"

#include <atomic>

namespace standin {
namespace {

class UnlockWatchTest : public SimulatedDriveTest {
protected:
    // A locked drive whose engine knows "thumb" and whose fingerprint function is on.
    void SetUpLockedDrive() {
        drive = AttachDrive("Secret123");
        Change([](sim::Drive& d) {
            d.templates[1] = "thumb";
            d.fingerprintFunction = true;
        });
    }
    void StartWatch() {
        manager->workerRun = 1;
        manager->StartFingerprintWatch(drive);
    }

    int drive = -1;
};

TEST_F(UnlockWatchTest, EnrolledFingerUnlocksAndEndsTheWatch) {
    SetUpLockedDrive();
    ASSERT_EQ(manager->QuerySecurityStatus(drive), kSecurityLocked);
    StartWatch();
    Touch("thumb");
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {8, 0}), 0);
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(Events(UM_FP_EVENT), (std::vector<Event>{{8, 0}}));
    EXPECT_FALSE(Drive().locked);
}

TEST_F(UnlockWatchTest, StrangerIsRejectedThenThePageResets) {
    SetUpLockedDrive();
    StartWatch();
    Touch("stranger");
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {8, 1}), 0);
    Lift();
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {14, 0}), 0);
    Touch("stranger");
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {8, 1}, 2), 0);
    Lift();
    manager->workerRun = 0;
    ASSERT_TRUE(WaitForWorkersToEnd());
    auto events = Events(UM_FP_EVENT);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(std::vector<Event>(events.begin(), events.begin() + 3),
              (std::vector<Event>{{8, 1}, {14, 0}, {8, 1}}));
    EXPECT_TRUE(Drive().locked);
}

// Vendor status answers scripted poll by poll, for exact sequences.
struct StatusScript {
    static constexpr int kFail = -1;
    static inline std::vector<std::pair<int, int>> polls; // (byte 3, byte 4) or kFail
    static inline std::atomic<size_t> next{0};

    static int Answer(char*, unsigned char* status) {
        size_t i = next++;
        auto [b3, b4] = polls[std::min(i, polls.size() - 1)];
        if (b3 == kFail)
            return 0;
        status[3] = uint8_t(b3);
        status[4] = uint8_t(b4);
        return 1;
    }
    static void Install(DiskManager& m, std::vector<std::pair<int, int>> script) {
        polls = std::move(script);
        next = 0;
        m.api.AP_GetFingerprintStatus_VendorEx = Answer;
    }
};

TEST_F(UnlockWatchTest, MatchOnTheFirstPollIsReportedOnce) {
    drive = AttachDrive();
    StatusScript::Install(*manager, {{1, 1}, {1, 1}});
    StartWatch();
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {8, 0}), 0);
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(Events(UM_FP_EVENT), (std::vector<Event>{{8, 0}}));
    EXPECT_EQ(StatusScript::next, 1u);
}

TEST_F(UnlockWatchTest, ThreeRejectionsCountAcrossLiftsAndRestartAfterTheReset) {
    drive = AttachDrive();
    const std::pair<int, int> judgedNoMatch{1, 0}, noFinger{0, 0}, failed{-1, 0};
    std::vector<std::pair<int, int>> script = {judgedNoMatch, noFinger,      judgedNoMatch,
                                               failed,        judgedNoMatch, noFinger};
    // Away for well over a second (100 ms polls), then two more rejections only.
    script.insert(script.end(), 30, noFinger);
    script.insert(script.end(), {judgedNoMatch, judgedNoMatch});
    script.insert(script.end(), 30, noFinger);
    StatusScript::Install(*manager, script);

    StartWatch();
    ASSERT_GE(WaitForEvent(UM_FP_EVENT, {14, 0}), 0);
    while (StatusScript::next < script.size() + 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    manager->workerRun = 0;
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(Events(UM_FP_EVENT), (std::vector<Event>{{8, 1}, {14, 0}}));
}

TEST_F(UnlockWatchTest, UndecidedVerdictIsPolledWithPausesNotInATightLoop) {
    drive = AttachDrive();
    StatusScript::Install(*manager, {{1, 7}}); // finger judged, verdict neither yes nor no
    StartWatch();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    manager->workerRun = 0;
    ASSERT_TRUE(WaitForWorkersToEnd());
    // 100 ms of real time is 10 s on the fast clock: about a hundred 100 ms pauses. A loop
    // without pauses asks many thousands of times.
    EXPECT_LT(StatusScript::next.load(), 1000u);
    EXPECT_TRUE(Events(UM_FP_EVENT).empty());
}

TEST_F(UnlockWatchTest, StatusAndFunctionDecoding) {
    drive = AttachDrive();
    const auto real = manager->api.AP_GetFingerprintStatus_VendorEx;
    struct Case {
        int b3, b4;
        int judged, matched;
    };
    const Case cases[] = {
        {0, 0, 1, 1}, {1, 0, 0, 1}, {1, 1, 0, 0}, {2, 2, 2, 2}, {7, 7, 2, 3}, {-1, 0, -1, 3},
    };
    for (const auto& c : cases) {
        StatusScript::Install(*manager, {{c.b3, c.b4}});
        FingerprintStatus s = manager->QueryFingerprintStatus(drive);
        EXPECT_EQ(s.judged, c.judged) << c.b3 << "," << c.b4;
        EXPECT_EQ(s.matched, c.matched) << c.b3 << "," << c.b4;
    }

    // The function flag from the stand-in itself.
    manager->api.AP_GetFingerprintStatus_VendorEx = real;
    EXPECT_EQ(manager->QueryFingerprintFunction(drive), 1);
    Change([](sim::Drive& d) { d.fingerprintFunction = true; });
    EXPECT_EQ(manager->QueryFingerprintFunction(drive), 0);
    Fault("vendor-status-fail", 1);
    EXPECT_EQ(manager->QueryFingerprintFunction(drive), -1);
    EXPECT_EQ(manager->QueryFingerprintStatus(drive).judged, 1) << "the failure was used up";
}

TEST_F(UnlockWatchTest, SetFunctionOnlyOnAnOpenOrUnlockedDrive) {
    static std::atomic<int> calls{0};
    static AP_FingerPrintFunctControlFn real = nullptr;
    auto countCalls = [this] {
        real = manager->api.AP_FingerPrintFunctControl;
        manager->api.AP_FingerPrintFunctControl = [](char* symbol, int on) {
            ++calls;
            return real(symbol, on);
        };
    };

    // Locked for real: refused without asking the library.
    drive = AttachDrive("Secret123");
    countCalls();
    calls = 0;
    EXPECT_EQ(manager->SetFingerprintFunction(1, drive), 3);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(Drive().fingerprintFunction);

    // Status bytes as the drive reports them, on a drive that is in fact open.
    Change([](sim::Drive& d) {
        d.locked = false;
        d.passwordKey.clear();
    });
    struct Case {
        int byte1, byte2;
        int expected;
        bool callsLibrary;
    };
    const Case cases[] = {
        {0x55, 0xFF, 3, false}, {0xAA, 0xFF, 0, true},  {0x12, 0x00, 0, true},
        {0x12, 0xFF, 2, false}, {0x55, 0x01, 2, false},
    };
    for (const auto& c : cases) {
        std::string error;
        ASSERT_TRUE(sim::SetStatusBytes(simDrive, c.byte1, c.byte2, &error)) << error;
        calls = 0;
        EXPECT_EQ(manager->SetFingerprintFunction(1, drive), c.expected) << c.byte1;
        EXPECT_EQ(calls, c.callsLibrary ? 1 : 0) << c.byte1;
    }
    std::string error;
    ASSERT_TRUE(sim::SetStatusBytes(simDrive, -1, -1, &error)) << error;

    Fault("status-fail", 1);
    EXPECT_EQ(manager->SetFingerprintFunction(1, drive), -1);

    // An open drive switches both ways; a refusal of the library shows as 1.
    EXPECT_EQ(manager->SetFingerprintFunction(1, drive), 0);
    EXPECT_EQ(manager->QueryFingerprintFunction(drive), 0);
    EXPECT_EQ(manager->SetFingerprintFunction(0, drive), 0);
    EXPECT_EQ(manager->QueryFingerprintFunction(drive), 1);
    Fault("function-fail", 1);
    EXPECT_EQ(manager->SetFingerprintFunction(1, drive), 1);
}

} // namespace
} // namespace standin
