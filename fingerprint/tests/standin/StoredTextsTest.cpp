// The password hint and the user table in the simulated drive's custom-data area, and the
// command protocol against the simulated engine's answers and faults.
#include "SimulatedDrive.h"
#include "fingerprint/FingerPrintCommand.h"
#include "fingerprint/FingerprintResults.h"
#include "fingerprint/FingerprintUsers.h"
#include "platform/CodePage.h"

namespace standin {
namespace {

class StoredTextsTest : public SimulatedDriveTest {
protected:
    void SetUp() override {
        SimulatedDriveTest::SetUp();
        if (IsSkipped())
            return;
        drive = AttachDrive();
        symbol = manager->SymbolOf(drive).data();
    }

    int drive = -1;
    std::string symbol;
};

TEST_F(StoredTextsTest, HintRoundTripsAndNoPasswordReachesTheArea) {
    // Whatever an earlier program left at 480..495 is overwritten with zeros.
    customdata area{};
    std::memset(area.passwordCopy, 'p', sizeof area.passwordCopy);
    area.unused[3] = 0x5A;
    SetArea(area);

    const std::wstring hints[] = {L"Geburtstag der Oma", L"Grüße", L"我的生日", L""};
    for (const auto& wide : hints) {
        std::string hint = platform::WideToSystemCodePage(wide);
        if (platform::SystemCodePageToWide(hint) != wide) {
            std::cout << "[ note ] the system code page cannot hold one hint; row skipped\n";
            continue;
        }
        EXPECT_EQ(manager->WritePasswordHint(hint, "Secret#12345678X", drive), 1);
        customdata stored = Area();
        for (uint8_t b : stored.passwordCopy)
            ASSERT_EQ(b, 0);
        EXPECT_EQ(stored.remarkFlag, 1);
        EXPECT_EQ(stored.unused[3], 0x5A);
        EXPECT_EQ(CustomDataChecksum(stored), stored.checksum);
        // Sixteen UTF-16 units at most: the long German hint is cut.
        std::string expected =
            wide.size() > 16 ? platform::WideToSystemCodePage(wide.substr(0, 16)) : hint;
        EXPECT_EQ(manager->ReadPasswordHint(drive), expected);
    }
    auto bytes = Drive().customData;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("Secret"), std::string::npos);
}

TEST_F(StoredTextsTest, HintAbsentOrUnreadableReadsEmpty) {
    EXPECT_EQ(manager->ReadPasswordHint(drive), "");
    manager->WritePasswordHint("Katze", "pw", drive);
    Fault("read-fail", 1);
    EXPECT_EQ(manager->ReadPasswordHint(drive), "");
    EXPECT_EQ(manager->ReadPasswordHint(drive), "Katze");
    EXPECT_EQ(manager->ReadPasswordHint(99), "") << "a slot without a drive";
    // A failed write still answers 1 and leaves the old hint.
    Fault("write-fail", 1);
    EXPECT_EQ(manager->WritePasswordHint("Hund", "pw", drive), 1);
    EXPECT_EQ(manager->ReadPasswordHint(drive), "Katze");
}

TEST_F(StoredTextsTest, BrokenAreaIsResetOnTheDrive) {
    customdata area{};
    area.users[0].id = 3;
    area.remarkFlag = 1;
    area.checksum = uint8_t(CustomDataChecksum(area) + 1);
    SetArea(area);

    UserContext guc;
    customdata image;
    ASSERT_EQ(loadCustomerSpace(symbol.c_str(), &guc, &image), &guc);
    EXPECT_EQ(guc.userNum, 0);
    auto bytes = Drive().customData;
    for (size_t i = 0; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i;

    // Unreadable or unwritable areas fail the load and change nothing.
    SetArea(area);
    Fault("write-fail", 1);
    EXPECT_EQ(loadCustomerSpace(symbol.c_str(), &guc, &image), nullptr);
    EXPECT_EQ(Area().users[0].id, 3);
    Fault("read-fail", 1);
    EXPECT_EQ(loadCustomerSpace(symbol.c_str(), &guc, &image), nullptr);
}

TEST_F(StoredTextsTest, CommandsAgainstTheSimulatedEngine) {
    const char* s = symbol.c_str();
    EXPECT_EQ(FingerPrintCommand(s, 0x10, 0, false, nullptr, nullptr), kFpStatusNoFinger);
    EXPECT_FALSE(isFingerOnSensor(s));
    Touch("thumb");
    struct Case {
        const char* fault;
        int32_t expected;
    };
    const Case cases[] = {
        {"bad-checksum", kFpBadChecksum},
        {"bad-header", kFpBadAnswer},
        {"send-fail", kFpExchangeFailed},
        {"receive-fail", kFpExchangeFailed},
        {"", 0},
    };
    for (const auto& c : cases) {
        if (*c.fault)
            Fault(c.fault, 1);
        EXPECT_EQ(FingerPrintCommand(s, 0x10, 0, false, nullptr, nullptr), c.expected) << c.fault;
    }
    EXPECT_TRUE(isFingerOnSensor(s));

    // Erasing what the engine does not hold counts as done; a refusal is passed on.
    EXPECT_EQ(eraseOneUser(s, 42), 0);
    EXPECT_EQ(eraseAllUsers(s), 0);
    Fault("erase-refuse", 1);
    EXPECT_EQ(eraseAllUsers(s), kFpEngineRefused);

    // Deleting a listed user removes template and record; a refusal keeps both.
    Change([](sim::Drive& d) { d.templates[2] = "thumb"; });
    FpUserRecord record{};
    record.id = 2;
    ASSERT_EQ(addUser(s, record), 0);
    Fault("erase-refuse", 1);
    EXPECT_EQ(deleteUser(s, record), 0x8B);
    EXPECT_EQ(Drive().templates.count(2), 1u);
    EXPECT_EQ(deleteUser(s, record), 0);
    EXPECT_EQ(Drive().templates.count(2), 0u);
    EXPECT_EQ(Area().users[0].id, 0);
    EXPECT_EQ(deleteUser(s, record), kFpRefused);
}

} // namespace
} // namespace standin
