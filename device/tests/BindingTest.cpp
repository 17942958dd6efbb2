#include "DeviceFixture.h"

#include "fingerprint/FingerprintHooks.h"
#include "platform/DynamicLibrary.h"

namespace device_test {
namespace {

using Binding = DeviceTest;

TEST_F(Binding, BindsEveryEntryAndInstallsTheFingerprintHooks) {
    DiskManager& dm = Manager();
    ASSERT_TRUE(dm.IsBound());
    EXPECT_TRUE(dm.bindError.empty());
    EXPECT_NE(dm.api.GetSDKVer, nullptr);
    EXPECT_NE(dm.api.AP_GetFingerprintStatus_SetupEx, nullptr);

    EXPECT_EQ(::sendHook, dm.api.AP_SendFingerprint);
    EXPECT_EQ(::receiveHook, dm.api.AP_ReceiveFingerprint);
    EXPECT_EQ(::writeHook, dm.api.AP_WriteCustomData_New);
    EXPECT_EQ(::readHook, dm.api.AP_ReadCustomData_New);
    ASSERT_NE(::traceSink, nullptr);
    ::traceSink("a trace line goes nowhere");
    EXPECT_EQ(dm.notifyWindow, kWindow);

    manager.reset();
    EXPECT_EQ(::sendHook, nullptr) << "no hook may point into an unloaded library";
}

// Without the library, or with one entry missing, the manager keeps the text and behaves as if
// every call had failed, without calling anything of the library.
TEST_F(Binding, AMissingLibraryOrEntryFailsEveryOperation) {
    Attach();
    for (const char* library : {"NoSuchBridgeLibrary", "JMUsbDllMissingEntry"}) {
        SCOPED_TRACE(library);
        if (std::string(library) == "JMUsbDllMissingEntry") {
            auto variant = platform::DynamicLibrary::Open(library);
            if (!variant)
                GTEST_SKIP() << "the stand-in variant without an entry is not beside the tests";
            ASSERT_EQ(variant->Symbol("AP_CheckArea"), nullptr);
            ASSERT_NE(variant->Symbol("AP_Login"), nullptr);
        }
        sink = std::make_shared<testing_env::RecordingMessageSink>();
        platform::SetMessageSink(sink);
        DiskManager& dm = Manager(library);
        EXPECT_FALSE(dm.IsBound());
        EXPECT_EQ(dm.bindError, "Initalize the API entries fail!");
        EXPECT_EQ(dm.api.AP_Login, nullptr);

        std::vector<std::unique_ptr<DriveEntry>> list;
        EXPECT_EQ(dm.ListDrives(list), 0);
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(dm.QuerySecurityStatus(0), -2);
        EXPECT_EQ(dm.SetPassword("secret", 0), 0);
        EXPECT_EQ(dm.ChangePassword("a", "b", 0), 0);
        EXPECT_EQ(dm.SafeRemoveAll(), 0);
        EXPECT_FALSE(dm.FormatVolume(0));
        dm.ResetChip(0);

        dm.StartUnlock(kReplyWindow, "secret", 0, 1);
        dm.StartEraseAndFormat(kReplyWindow, 0);
        EXPECT_TRUE(sink->WaitFor([](const auto& all) { return all.size() == 2; }));
        EXPECT_EQ(Recorded(UM_UNLOCK_FAILED).size(), 1u);
        EXPECT_EQ(Recorded(UM_ERASE_FAILED).size(), 1u);
        EXPECT_EQ(dm.formatBusy, 0);
        manager.reset();
    }
    EXPECT_EQ(Drive(1).bus, sim::Bus::On) << "the drive was never touched";
}

} // namespace
} // namespace device_test
