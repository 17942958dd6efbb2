// The library's drive entries over the simulated drives: security, storage, custom data, bus,
// and bad input, which must give each entry's failure result.
#include "StandIn.h"

#include "sim/SimStore.h"

#include <fstream>
#include <functional>

namespace bridge_test {
namespace {

using DriveEntries = StandIn;

sim::Drive Snapshot(int id) {
    sim::State s;
    EXPECT_TRUE(sim::Snapshot(s));
    sim::Drive* d = s.Find(id);
    return d ? *d : sim::Drive{};
}

TEST_F(DriveEntries, ListsDrivesOnTheBusWithBridgeLikeSymbols) {
    Attach();
    Attach("", "Other SSD");
    char table[kSymbolSlots][kSymbolSize];
    std::memset(table, 0x7E, sizeof table);
    auto list = Entry<GetUsbIdListFn>("GetUsbIdList");
    ASSERT_EQ(list(&table[0][0], kSymbolSlots), 2);
    for (int i = 0; i < 2; ++i) {
        size_t length = strnlen(table[i], kSymbolSize);
        ASSERT_LT(length, size_t(kSymbolSize));
        EXPECT_EQ(table[i][length - 2], '\\') << "the short tail";
    }
    EXPECT_EQ(std::string(table[0]).substr(22, 12), Snapshot(1).serial);
    EXPECT_EQ(table[2][0], 0x7E) << "slots beyond the count are not written";

    char one[1][kSymbolSize] = {};
    EXPECT_EQ(list(&one[0][0], 1), 1) << "never more than the capacity";
    EXPECT_EQ(list(nullptr, kSymbolSlots), -1);
    EXPECT_EQ(list(&one[0][0], 0), -1);

    char vendor[64], product[64], revision[64], serial[42];
    Symbol other = SymbolOfSlot(1);
    ASSERT_EQ(Entry<AP_GetProductInfoFn>("AP_GetProductInfo")(other.text, vendor, product, revision,
                                                              serial),
              1);
    EXPECT_STREQ(product, "Other SSD");
}

TEST_F(DriveEntries, PasswordLifecycle) {
    Attach();
    Symbol s = SymbolOfSlot(0);
    auto setPwd = Entry<AP_SetPwdFn>("AP_SetPwd");
    auto login = Entry<AP_LoginFn>("AP_Login");
    auto change = Entry<AP_ChangePwdFn>("AP_ChangePwd");
    auto safeMode = Entry<AP_EraseSecurityInfoSafeModeFn>("AP_EraseSecurityInfoSafeMode");
    auto reset = Entry<JMChipRstExFn>("JMChipRstEx");
    auto status = [&] {
        unsigned char b[32] = {};
        Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus")(s.text, 3, b);
        return std::pair<int, int>(b[1], b[2]);
    };
    unsigned char pw[32] = "first", wrong[32] = "First", empty[32] = {};
    EXPECT_EQ(status(), std::make_pair(0x00, 0x00));
    EXPECT_EQ(login(s.text, pw, 1), 0) << "no password to log in with";
    EXPECT_EQ(setPwd(s.text, empty), 0);
    ASSERT_EQ(setPwd(s.text, pw), 1);
    EXPECT_EQ(status(), std::make_pair(0xAA, 0xFF));
    reset(s.text);
    EXPECT_EQ(status(), std::make_pair(0x55, 0xFF));

    unsigned char block[64] = {};
    std::memcpy(block, "first", 5);
    std::memcpy(block + 32, "second", 6);
    EXPECT_EQ(change(s.text, block), 0) << "a locked drive does not change its password";
    EXPECT_EQ(safeMode(s.text), 0) << "nor remove it";
    EXPECT_EQ(login(s.text, wrong, 1), 0);
    EXPECT_EQ(status(), std::make_pair(0x55, 0xFF));
    ASSERT_EQ(login(s.text, pw, 1), 1);
    EXPECT_EQ(status(), std::make_pair(0xAA, 0xFF));
    ASSERT_EQ(change(s.text, block), 1);
    EXPECT_EQ(login(s.text, pw, 1), 0) << "the old password is gone";
    ASSERT_EQ(safeMode(s.text), 1);
    EXPECT_EQ(status(), std::make_pair(0x00, 0x00));
}

TEST_F(DriveEntries, SecurityEraseLeavesADriveToPartitionAndFormat) {
    Attach("lost");
    Symbol s = SymbolOfSlot(0);
    std::filesystem::path file = sim::VolumeRoot(simDir, 1) / "photo.jpg";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "data";

    auto format = Entry<AP_FormatDiskFn>("AP_FormatDisk");
    auto partition = Entry<AP_DiskPartitionFn>("AP_DiskPartition");
    EXPECT_EQ(partition(s.text, 0, 1), 0) << "not while locked";
    ASSERT_EQ(Entry<AP_EraseSecurityInfoFn>("AP_EraseSecurityInfo")(s.text), 1);
    EXPECT_FALSE(std::filesystem::exists(file)) << "the data went with the security data";
    char letters[26] = {};
    EXPECT_EQ(Entry<JMGetDiskLetterExFn>("JMGetDiskLetterEx")(s.text, letters), 0)
        << "no volume without a partition";
    EXPECT_EQ(format(s.text, "exFAT", "ZEMO QX100", 0, 1), 0) << "nothing to format yet";
    ASSERT_EQ(partition(s.text, 0, 1), 1);
    EXPECT_EQ(format(s.text, "ext9", "ZEMO QX100", 0, 1), 0);
    EXPECT_EQ(format(s.text, nullptr, "ZEMO QX100", 0, 1), 0);
    ASSERT_EQ(format(s.text, "exFAT", "ZEMO QX100", 0, 1), 1);
    EXPECT_EQ(Entry<JMGetDiskLetterExFn>("JMGetDiskLetterEx")(s.text, letters), 1);
    EXPECT_STREQ(letters, "E");
    sim::Drive d = Snapshot(1);
    EXPECT_EQ(d.fileSystem, "exFAT");
    EXPECT_EQ(d.label, "ZEMO QX100");
    EXPECT_FALSE(d.HasPassword());
}

TEST_F(DriveEntries, CustomDataPersistsIsReadableWhileLockedAndSurvivesFailedWrites) {
    Attach("pw");
    Symbol s = SymbolOfSlot(0);
    auto read = Entry<ReadCustomDataFn>("AP_ReadCustomData_New");
    auto write = Entry<WriteCustomDataFn>("AP_WriteCustomData_New");
    unsigned char area[512], back[512];
    for (int i = 0; i < 512; ++i)
        area[i] = uint8_t(i * 7);
    ASSERT_EQ(write(s.text, area, 512), 1);
    Entry<JMChipRstExFn>("JMChipRstEx")(s.text);
    ASSERT_EQ(read(s.text, back, 512), 1) << "readable while locked";
    EXPECT_EQ(std::memcmp(area, back, 512), 0);

    std::string error;
    ASSERT_TRUE(sim::SetFault(1, "write-fail", 1, &error));
    unsigned char zeros[512] = {};
    EXPECT_EQ(write(s.text, zeros, 512), 0);
    ASSERT_TRUE(sim::SetFault(1, "read-fail", 1, &error));
    EXPECT_EQ(read(s.text, back, 512), 0);
    ASSERT_EQ(read(s.text, back, 512), 1);
    EXPECT_EQ(std::memcmp(area, back, 512), 0) << "the failed write changed nothing";
}

TEST_F(DriveEntries, ChipResetAndEjectTakeTheDriveOffTheBus) {
    int id = Attach();
    Symbol s = SymbolOfSlot(0);
    std::string error;
    ASSERT_TRUE(sim::SetFault(id, "no-return", 1, &error));
    Entry<JMChipRstExFn>("JMChipRstEx")(s.text);
    EXPECT_EQ(Count(), 0) << "the drive does not come back by itself";
    ASSERT_TRUE(sim::Plug(id, &error)) << error;
    EXPECT_EQ(Count(), 1);

    // A normal reset: away during the call, back when it returns.
    std::atomic<bool> resetting{true};
    std::atomic<int> sawAway{0};
    std::thread watcher([&] {
        while (resetting)
            sawAway += Count() == 0;
    });
    Entry<JMChipRstExFn>("JMChipRstEx")(s.text);
    resetting = false;
    watcher.join();
    EXPECT_GT(sawAway, 0);
    EXPECT_EQ(Count(), 1);

    ASSERT_TRUE(sim::SetFault(id, "eject-fail", 1, &error));
    EXPECT_EQ(Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(s.text), -1);
    EXPECT_EQ(Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(s.text), 1);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(s.text), -1) << "gone already";
}

// A symbol of no drive, a drive gone since it was listed, an unterminated symbol, a null or
// short buffer: each entry gives its failure result and writes nothing it was not given.
TEST_F(DriveEntries, BadInputGivesTheFailureResult) {
    Attach();
    Symbol good = SymbolOfSlot(0);
    Symbol unknown;
    std::strcpy(unknown.text, "USB\\VID_152D&PID_0583\\XX0000000000\\0");
    Symbol unterminated;
    std::memset(unterminated.text, 'A', kSymbolSize);
    Symbol empty;

    unsigned char buffer[512] = {};
    char text[64] = {};
    unsigned char frame[8] = {0x6C, 0x63, 0x62, 0x10, 0, 0, 0xD5, 0};
    const struct {
        const char* name;
        std::function<int(char*)> call;
        int failure;
    } entries[] = {
        {"JMGetDiskLetterEx",
         [&](char* s) { return Entry<JMGetDiskLetterExFn>("JMGetDiskLetterEx")(s, text); }, 0},
        {"AP_GetSecurityStatus",
         [&](char* s) {
             return Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus")(s, 3, buffer);
         },
         0},
        {"AP_Login", [&](char* s) { return Entry<AP_LoginFn>("AP_Login")(s, buffer, 1); }, 0},
        {"AP_EraseSecurityInfo",
         [&](char* s) { return Entry<AP_EraseSecurityInfoFn>("AP_EraseSecurityInfo")(s); }, 0},
        {"JMChipRstEx", [&](char* s) { return Entry<JMChipRstExFn>("JMChipRstEx")(s); }, 0},
        {"JMSafeRemoveEx", [&](char* s) { return Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(s); },
         -1},
        {"AP_SendFingerprint",
         [&](char* s) { return Entry<SendFingerprintFn>("AP_SendFingerprint")(s, frame, 8); }, 0},
        {"AP_ReadCustomData_New",
         [&](char* s) { return Entry<ReadCustomDataFn>("AP_ReadCustomData_New")(s, buffer, 512); },
         0},
        {"AP_FingerPrintFunctControl",
         [&](char* s) {
             return Entry<AP_FingerPrintFunctControlFn>("AP_FingerPrintFunctControl")(s, 1);
         },
         0},
        {"AP_GetFingerprintStatus_VendorEx",
         [&](char* s) {
             return Entry<AP_GetFingerprintStatus_VendorExFn>("AP_GetFingerprintStatus_VendorEx")(
                 s, buffer);
         },
         0},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(e.call(nullptr), e.failure) << e.name << " without a symbol";
        EXPECT_EQ(e.call(empty.text), e.failure) << e.name << " with an empty symbol";
        EXPECT_EQ(e.call(unknown.text), e.failure) << e.name << " with a symbol of no drive";
        EXPECT_EQ(e.call(unterminated.text), e.failure) << e.name << " with 64 bytes of text";
    }

    // Null buffers and wrong lengths on an attached drive.
    EXPECT_EQ(Entry<JMGetDiskLetterExFn>("JMGetDiskLetterEx")(good.text, nullptr), 0);
    EXPECT_EQ(Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus")(good.text, 3, nullptr), 0);
    EXPECT_EQ(Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus")(good.text, 2, buffer), 0);
    EXPECT_EQ(Entry<AP_LoginFn>("AP_Login")(good.text, nullptr, 1), 0);
    EXPECT_EQ(Entry<AP_SetPwdFn>("AP_SetPwd")(good.text, nullptr), 0);
    EXPECT_EQ(Entry<AP_ChangePwdFn>("AP_ChangePwd")(good.text, nullptr), 0);
    EXPECT_EQ(Entry<ReadCustomDataFn>("AP_ReadCustomData_New")(good.text, buffer, 511), 0);
    EXPECT_EQ(Entry<ReadCustomDataFn>("AP_ReadCustomData_New")(good.text, nullptr, 512), 0);
    EXPECT_EQ(Entry<WriteCustomDataFn>("AP_WriteCustomData_New")(good.text, buffer, 1024), 0);
    EXPECT_EQ(Entry<SendFingerprintFn>("AP_SendFingerprint")(good.text, nullptr, 8), 0);
    EXPECT_EQ(Entry<ReceiveFingerprintFn>("AP_ReceiveFingerprint")(good.text, nullptr, 8), 0);
    EXPECT_EQ(Entry<AP_FingerPrintFunctControlFn>("AP_FingerPrintFunctControl")(good.text, 2), 0);
    EXPECT_EQ(Entry<GetSDKVerFn>("GetSDKVer")(nullptr), 0);
    EXPECT_EQ(Entry<AP_GetProductInfoFn>("AP_GetProductInfo")(good.text, text, nullptr, text, text),
              0);

    // A drive that left the bus between two calls.
    std::string error;
    ASSERT_TRUE(sim::Detach(1, &error));
    EXPECT_EQ(Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus")(good.text, 3, buffer), 0);
    EXPECT_EQ(Entry<JMSafeRemoveExFn>("JMSafeRemoveEx")(good.text), -1);
}

TEST_F(DriveEntries, UncalledEntriesAnswerSensibly) {
    Attach();
    Symbol s = SymbolOfSlot(0);
    char text[64] = {};
    EXPECT_EQ(Entry<JMGetUsbIdFn>("JMGetUsbId")(0, text), 1);
    EXPECT_STREQ(text, s.text);
    EXPECT_EQ(Entry<JMGetUsbIdFn>("JMGetUsbId")(1, text), 0);
    EXPECT_EQ(Entry<JMGetVolumeNameFn>("JMGetVolumeName")(s.text, text, 64), 1);
    EXPECT_STREQ(text, "ZEMO QX100");
    unsigned long long size = 0;
    EXPECT_EQ(Entry<AP_GetDiskSizeFn>("AP_GetDiskSize")(s.text, &size), 1);
    EXPECT_EQ(size, 500107862016ull);
    char version[16] = {};
    EXPECT_EQ(Entry<GetSDKVerFn>("GetSDKVer")(version), 1);
    EXPECT_NE(version[0], 0);
    EXPECT_EQ(Entry<GetDriveListFn>("GetDriveList")(text, 64), 1);
    EXPECT_STREQ(text, "E");
    EXPECT_NE(Entry<AP_CreateHandleFn>("AP_CreateHandle")(s.text), nullptr);
    EXPECT_EQ(Entry<AP_CreateHandleFn>("AP_CreateHandle")(nullptr), nullptr);
}

} // namespace
} // namespace bridge_test
