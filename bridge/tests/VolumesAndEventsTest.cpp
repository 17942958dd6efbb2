// The simulated drives' volumes as the platform layer sees them, and their arrivals and
// removals as device-change messages.
#include "StandIn.h"

#include "RecordingMessageSink.h"
#include "platform/Clock.h"
#include "platform/DeviceWatch.h"
#include "platform/Volumes.h"

namespace bridge_test {
namespace {

class VolumesAndEvents : public StandIn {
protected:
    void SetUp() override {
        StandIn::SetUp();
#ifdef _WIN32
        GTEST_SKIP() << "on Windows drive letters are the system's own, not the simulation's";
#endif
    }
};

TEST_F(VolumesAndEvents, OpenDriveShowsItsDataVolumeAndLockedOneItsDisc) {
    Attach();
    Attach("secret");
    std::string error;
    ASSERT_TRUE(sim::SetVolume(1, std::nullopt, 480000000000ull, &error)) << error;

    EXPECT_EQ(platform::VolumeRoot("E"), simDir / "drive-1" / "volume");
    EXPECT_EQ(platform::DriveType("E:\\"), platform::kDriveFixed);
    platform::DiskSpace space;
    ASSERT_TRUE(platform::QueryDiskSpace("E:", space));
    EXPECT_EQ(space.totalBytes, 500107862016ull);
    EXPECT_EQ(space.freeBytes, 500107862016ull - 480000000000ull);

    EXPECT_EQ(platform::DriveType("F:\\"), platform::kDriveCdrom) << "a locked drive";
    char letters[26] = {};
    Symbol locked = SymbolOfSlot(1);
    ASSERT_EQ(Entry<JMGetDiskLetterExFn>("JMGetDiskLetterEx")(locked.text, letters), 1);
    EXPECT_STREQ(letters, "F");

    unsigned char password[32] = "secret";
    ASSERT_EQ(Entry<AP_LoginFn>("AP_Login")(locked.text, password, 1), 1);
    EXPECT_EQ(platform::DriveType("F:\\"), platform::kDriveFixed) << "unlocked: the data volume";
}

TEST_F(VolumesAndEvents, DriveChangesArriveAsDeviceChangeMessages) {
    platform::SetClock(std::make_shared<platform::FastClock>(50));
    auto sink = std::make_shared<testing_env::RecordingMessageSink>();
    platform::SetMessageSink(sink);
    auto window = reinterpret_cast<platform::WindowHandle>(0x42);
    auto events = [&] {
        std::string out;
        for (const auto& m : sink->Messages()) {
            EXPECT_EQ(m.message, platform::kDeviceChangeMessage);
            EXPECT_EQ(m.window, window);
            out += m.wParam == platform::kDeviceArrival ? "+" : "-";
        }
        return out;
    };
    auto waitFor = [&](const std::string& expected) {
        sink->WaitFor([&](const auto& all) { return all.size() >= expected.size(); },
                      std::chrono::seconds(5));
        EXPECT_EQ(events(), expected);
    };
    {
        auto watcher = platform::WatchVolumesForWindow(window);
        std::string error;
        int id = Attach();
        waitFor("+");
        Symbol s = SymbolOfSlot(0);
        Entry<JMChipRstExFn>("JMChipRstEx")(s.text); // leaves and returns
        waitFor("+-+");
        unsigned char password[32] = "pw";
        ASSERT_EQ(Entry<AP_SetPwdFn>("AP_SetPwd")(s.text, password), 1);
        Entry<JMChipRstExFn>("JMChipRstEx")(s.text); // returns locked: its disc
        waitFor("+-+-+");
        ASSERT_EQ(Entry<AP_LoginFn>("AP_Login")(s.text, password, 1), 1);
        waitFor("+-+-+-+");
        ASSERT_GT(Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(s.text), 0);
        waitFor("+-+-+-+-");
        ASSERT_TRUE(sim::Plug(id, &error)) << error;
        waitFor("+-+-+-+-+");
        ASSERT_TRUE(sim::Detach(id, &error)) << error;
        waitFor("+-+-+-+-+-");
    }
    platform::SetMessageSink(nullptr);
    platform::SetClock(nullptr);
}

} // namespace
} // namespace bridge_test
