#include "DeviceFixture.h"

#include <cstring>
#include <fstream>
#include <mutex>

namespace device_test {
namespace {

// Spies between the manager and the real library: they record what crossed and forward it.
struct Spy {
    std::mutex mutex;
    std::vector<std::vector<uint8_t>> buffers;
    int resets = 0;
    AP_SetPwdFn setPwd = nullptr;
    AP_ChangePwdFn changePwd = nullptr;
    JMChipRstExFn reset = nullptr;
};
Spy spy;

int SpySetPwd(char* symbol, unsigned char* password) {
    {
        std::lock_guard lock(spy.mutex);
        spy.buffers.emplace_back(password, password + 32);
    }
    return spy.setPwd(symbol, password);
}
int SpyChangePwd(char* symbol, unsigned char* block) {
    {
        std::lock_guard lock(spy.mutex);
        spy.buffers.emplace_back(block, block + 64);
    }
    return spy.changePwd(symbol, block);
}
int SpyReset(char* symbol) {
    {
        std::lock_guard lock(spy.mutex);
        ++spy.resets;
    }
    return spy.reset(symbol);
}

class DeviceOperations : public DeviceTest {
protected:
    void Spy(DiskManager& dm) {
        spy.buffers.clear();
        spy.resets = 0;
        spy.setPwd = dm.api.AP_SetPwd;
        spy.changePwd = dm.api.AP_ChangePwd;
        spy.reset = dm.api.JMChipRstEx;
        dm.api.AP_SetPwd = SpySetPwd;
        dm.api.AP_ChangePwd = SpyChangePwd;
        dm.api.JMChipRstEx = SpyReset;
    }
};

TEST_F(DeviceOperations, PasswordsReachTheDriveZeroFilled) {
    Attach();
    DiskManager& dm = Manager();
    Spy(dm);
    List();

    ASSERT_EQ(dm.SetPassword("abcdefghijkl", 0), 1);
    ASSERT_EQ(spy.buffers.size(), 1u);
    std::vector<uint8_t> expected(32, 0);
    std::memcpy(expected.data(), "abcdefghijkl", 12);
    EXPECT_EQ(spy.buffers[0], expected) << "12 bytes followed by 20 zero bytes";
    EXPECT_EQ(dm.SetPassword("another", 0), 0) << "a second password is refused";

    // Verifying is a change to the same password: both halves equal.
    EXPECT_EQ(dm.ChangePassword("abcdefghijkl", "abcdefghijkl", 0), 1);
    const auto& block = spy.buffers.back();
    ASSERT_EQ(block.size(), 64u);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 32, block.begin() + 32));
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 32), expected);
    EXPECT_EQ(dm.ChangePassword("wrong", "wrong", 0), 0);

    EXPECT_EQ(dm.ChangePassword("abcdefghijkl", "newpass", 0), 1);
    EXPECT_EQ(dm.ChangePassword("newpass", "newpass", 0), 1);
    EXPECT_EQ(dm.ChangePassword("abcdefghijkl", "abcdefghijkl", 0), 0);

    // A password that would not fit its buffer is refused, not cut to another password.
    size_t calls = spy.buffers.size();
    EXPECT_EQ(dm.ChangePassword("newpass", std::string(32, 'x'), 0), 0);
    EXPECT_EQ(spy.buffers.size(), calls) << "the library was not asked";
}

TEST_F(DeviceOperations, PasswordIsNotStoredInPlainText) {
    Attach();
    DiskManager& dm = Manager();
    List();
    ASSERT_EQ(dm.SetPassword("Sup3rSecretPw", 0), 1);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(simDir)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(content.find("Sup3rSecretPw"), std::string::npos) << entry.path();
    }
}

TEST_F(DeviceOperations, UnlockAnswersWithTheTagAndWipesThePassword) {
    Attach("right");
    DiskManager& dm = Manager();
    List();
    const struct {
        const char* password;
        int tag;
        uint32_t expected;
    } cases[] = {
        {"wrong", 0, UM_UNLOCK_FAILED},
        {"wrong", 1, UM_UNLOCK_FAILED},
        {"right", 1, UM_UNLOCK_DONE},
    };
    for (const auto& c : cases) {
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
        dm.StartUnlock(kReplyWindow, c.password, 0, c.tag);
        testing_env::RecordedMessage m{};
        ASSERT_EQ(WaitForEither(UM_UNLOCK_DONE, UM_UNLOCK_FAILED), c.expected) << c.password;
        ASSERT_TRUE(sink->WaitForMessage(c.expected, &m));
        EXPECT_EQ(m.window, kReplyWindow);
        EXPECT_EQ(m.wParam, platform::WParam(c.tag));
        EXPECT_EQ(m.lParam, 0);
        EXPECT_FALSE(m.sent) << "unlock results are posted";
        EXPECT_EQ(dm.unlockTag, c.tag);
        EXPECT_EQ(std::vector<uint8_t>(dm.unlockPassword, dm.unlockPassword + 32),
                  std::vector<uint8_t>(32, 0))
            << "the password does not linger";
    }
    EXPECT_EQ(dm.QuerySecurityStatus(0), 2);
    EXPECT_EQ(List().front()->letters, "E") << "the data volume is back after the unlock";
}

TEST_F(DeviceOperations, ResetChipBringsADriveBackLocked) {
    Attach();
    DiskManager& dm = Manager();
    List();
    ASSERT_EQ(dm.SetPassword("pw", 0), 1);
    EXPECT_EQ(dm.QuerySecurityStatus(0), 2);
    dm.ResetChip(0);
    EXPECT_EQ(dm.QuerySecurityStatus(0), 3);
}

TEST_F(DeviceOperations, SafeRemovalStopsAtTheFirstRefusal) {
    DiskManager& dm = Manager();
    EXPECT_EQ(dm.SafeRemoveAll(), 0) << "no drive listed";

    Attach();
    Attach();
    List();
    Fault(2, "eject-fail");
    EXPECT_EQ(dm.SafeRemoveAll(), 0);
    EXPECT_EQ(Drive(1).bus, sim::Bus::Ejected);
    EXPECT_EQ(Drive(2).bus, sim::Bus::On);

    std::string error;
    ASSERT_TRUE(sim::Plug(1, &error)) << error;
    List();
    EXPECT_NE(dm.SafeRemoveAll(), 0);
    EXPECT_EQ(Drive(1).bus, sim::Bus::Ejected);
    EXPECT_EQ(Drive(2).bus, sim::Bus::Ejected);
    EXPECT_TRUE(List().empty()) << "ejected drives stay gone";
}

TEST_F(DeviceOperations, EraseAndFormatReturnsADriveToItsFactoryState) {
    Attach("forgotten");
    std::string error;
    ASSERT_TRUE(sim::SetVolume(1, std::nullopt, 1000000, &error));
    DiskManager& dm = Manager();
    Spy(dm);
    List();
    ASSERT_EQ(dm.QuerySecurityStatus(0), 3);
    sink->sendResult = 0;

    dm.StartEraseAndFormat(kReplyWindow, 0);
    EXPECT_EQ(dm.formatBusy, 1);
    ASSERT_EQ(WaitForEither(UM_ERASE_DONE, UM_ERASE_FAILED), UM_ERASE_DONE);
    auto done = Recorded(UM_ERASE_DONE).front();
    EXPECT_TRUE(done.sent) << "the worker waits until the window handled it";
    EXPECT_EQ(done.window, kReplyWindow);
    EXPECT_EQ(dm.formatBusy, 0);
    EXPECT_EQ(spy.resets, 1);

    sim::Drive d = Drive(1);
    EXPECT_FALSE(d.HasPassword());
    EXPECT_EQ(d.fileSystem, "exFAT");
    EXPECT_EQ(d.label, "ZEMO QX100");
    EXPECT_EQ(d.used, 0u);
    EXPECT_EQ(dm.QuerySecurityStatus(0), 1);
}

TEST_F(DeviceOperations, EraseAndFormatFailuresClearBusyAndPost2029) {
    const struct {
        const char* fault;
        int resets;
    } cases[] = {
        {"erase-fail", 0}, // refused erase: no chip reset at all
        {"partition-fail", 1},
        {"format-fail", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        std::string error;
        ASSERT_TRUE(sim::ClearAll(&error));
        Attach("pw");
        Fault(1, c.fault);
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
        DiskManager& dm = Manager();
        Spy(dm);
        List();
        dm.StartEraseAndFormat(kReplyWindow, 0);
        ASSERT_EQ(WaitForEither(UM_ERASE_DONE, UM_ERASE_FAILED), UM_ERASE_FAILED);
        EXPECT_EQ(Recorded(UM_ERASE_FAILED).size(), 1u);
        EXPECT_TRUE(Recorded(UM_ERASE_DONE).empty());
        auto failed = Recorded(UM_ERASE_FAILED).front();
        EXPECT_FALSE(failed.sent);
        EXPECT_EQ(failed.window, kReplyWindow);
        EXPECT_EQ(spy.resets, c.resets);
        EXPECT_EQ(dm.formatBusy, 0);
        manager.reset();
    }
}

TEST_F(DeviceOperations, EraseAndFormatWaitsForADriveThatDoesNotComeBack) {
    Attach("pw");
    Fault(1, "no-return");
    DiskManager& dm = Manager();
    List();
    dm.StartEraseAndFormat(kReplyWindow, 0);
    // Several polls of a second each pass without an answer.
    while (clock->NowMs() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_TRUE(sink->Messages().empty());
    EXPECT_EQ(dm.formatBusy, 1);

    std::string error;
    ASSERT_TRUE(sim::Plug(1, &error)) << error;
    ASSERT_EQ(WaitForEither(UM_ERASE_DONE, UM_ERASE_FAILED), UM_ERASE_DONE);
    EXPECT_EQ(dm.formatBusy, 0);
}

TEST_F(DeviceOperations, FormatDialogSearchIsBounded) {
    Attach();
    DiskManager& dm = Manager();
    List();
    std::atomic<int> looks{0};

    dm.closeFormatOffer = [&] {
        ++looks;
        return false;
    };
    uint64_t start = clock->NowMs();
    EXPECT_TRUE(dm.FormatVolume(0)) << "success whether or not the dialog showed";
    EXPECT_EQ(looks, 2001);
    EXPECT_EQ(clock->NowMs() - start, 2001u * 5) << "about ten seconds of looking";

    looks = 0;
    dm.closeFormatOffer = [&] { return ++looks == 3; };
    EXPECT_TRUE(dm.FormatVolume(0));
    EXPECT_EQ(looks, 3) << "the search ends once the dialog was closed";

    looks = 0;
    Fault(1, "format-fail");
    EXPECT_FALSE(dm.FormatVolume(0));
    EXPECT_EQ(looks, 0);
}

} // namespace
} // namespace device_test
