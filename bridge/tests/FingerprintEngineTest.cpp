// The engine's frames as the program sees them through the library: enough to trust the
// simulation; the protocol itself is the fingerprint module's to test.
#include "StandIn.h"

#include "sim/SimStore.h"

namespace bridge_test {
namespace {

using FingerprintEngine = StandIn;

TEST_F(FingerprintEngine, EnrollsFromFiveCapturesWithValidFrames) {
    Attach();
    Symbol s = SymbolOfSlot(0);

    auto presence = Exchange(s, 0x10, 0);
    ASSERT_EQ(presence.size(), 8u);
    EXPECT_EQ(presence[4], 0xB2) << "no finger on the sensor";
    EXPECT_EQ(Exchange(s, 0x51, 0)[4], 0xB2) << "no capture without a finger";

    std::string error;
    ASSERT_TRUE(sim::Touch("thumb", 0, &error)) << error;
    ASSERT_TRUE(sim::SetSimilarity(1, {0x200, 0x201}, &error)) << error;
    presence = Exchange(s, 0x10, 0);
    EXPECT_TRUE(ShortAnswerValid(presence, 0x10));
    EXPECT_EQ(presence[4], 0);

    auto id = Exchange(s, 0x74, 0);
    EXPECT_TRUE(ShortAnswerValid(id, 0x74));
    EXPECT_EQ(id[4], 0);
    EXPECT_EQ(id[5], 1) << "first free id";

    const uint16_t expected[] = {0x200, 0x201, 0x100, 0x100, 0x100};
    for (uint8_t n = 0; n < 5; ++n) {
        auto capture = Exchange(s, 0x51, n);
        EXPECT_TRUE(ShortAnswerValid(capture, 0x51)) << int(n);
        EXPECT_EQ(capture[4], 0);
        EXPECT_EQ(capture[5] | capture[6] << 8, expected[n]) << "capture " << int(n);
    }
    auto enroll = Exchange(s, 0x7F, 1);
    EXPECT_TRUE(LongAnswerValid(enroll, 0x7F));
    EXPECT_EQ(enroll[4], 0);
    EXPECT_NE(std::vector<uint8_t>(enroll.begin() + 7, enroll.begin() + 39),
              std::vector<uint8_t>(32, 0))
        << "a payload comes back";
    EXPECT_EQ(Exchange(s, 0x74, 0)[5], 2) << "id 1 is taken now";

    auto again = Exchange(s, 0x7F, 2);
    EXPECT_EQ(again[4], 0x8D) << "no captures left for a second enrollment";
    EXPECT_TRUE(LongAnswerValid(again, 0x7F));
}

TEST_F(FingerprintEngine, ErasesAndReportsNothingToErase) {
    Attach();
    Symbol s = SymbolOfSlot(0);
    std::string error;
    ASSERT_TRUE(sim::Touch("index", 0, &error));
    for (uint8_t n = 0; n < 5; ++n)
        Exchange(s, 0x51, n);
    ASSERT_EQ(Exchange(s, 0x7F, 3)[4], 0);

    EXPECT_EQ(Exchange(s, 0x73, 4)[4], 0x90) << "unknown id";
    EXPECT_EQ(Exchange(s, 0x73, 3)[4], 0);
    EXPECT_EQ(Exchange(s, 0x73, 3)[4], 0x90) << "already erased";
    EXPECT_EQ(Exchange(s, 0x54, 0)[4], 0x90) << "nothing left to erase";

    uint8_t bad[8] = {0x6C, 0x63, 0x62, 0x10, 0, 0, 0x00, 0};
    ASSERT_TRUE(Entry<SendFingerprintFn>("AP_SendFingerprint")(s.text, bad, 8));
    uint8_t answer[8];
    ASSERT_TRUE(Entry<ReceiveFingerprintFn>("AP_ReceiveFingerprint")(s.text, answer, 8));
    EXPECT_EQ(answer[4], 0x8E) << "a command frame with a wrong checksum is refused";
}

TEST_F(FingerprintEngine, InjectedFaultsHitTheExchange) {
    Attach();
    Symbol s = SymbolOfSlot(0);
    std::string error;
    ASSERT_TRUE(sim::Touch("thumb", 0, &error));
    const struct {
        const char* kind;
        uint8_t code;
        bool transportFails;
        uint8_t status;
        bool framesValid;
    } cases[] = {
        {"send-fail", 0x10, true, 0, false},         {"receive-fail", 0x10, true, 0, false},
        {"bad-checksum", 0x10, false, 0, false},     {"bad-header", 0x74, false, 0, false},
        {"capture-refuse", 0x51, false, 0x8C, true}, {"id-refuse", 0x74, false, 0x8A, true},
        {"erase-refuse", 0x54, false, 0x8B, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(sim::SetFault(1, c.kind, 1, &error)) << error;
        auto answer = Exchange(s, c.code, 0);
        if (c.transportFails) {
            EXPECT_TRUE(answer.empty()) << c.kind;
        } else {
            ASSERT_EQ(answer.size(), 8u) << c.kind;
            EXPECT_EQ(answer[4], c.status) << c.kind;
            EXPECT_EQ(ShortAnswerValid(answer, c.code), c.framesValid) << c.kind;
        }
        // The fault was taken once: the next exchange is sound again.
        auto next = Exchange(s, 0x10, 0);
        EXPECT_TRUE(ShortAnswerValid(next, 0x10)) << "after " << c.kind;
    }

    // A corrupted answer of a long frame.
    for (uint8_t n = 0; n < 5; ++n)
        Exchange(s, 0x51, n);
    ASSERT_TRUE(sim::SetFault(1, "bad-checksum", 1, &error));
    auto enroll = Exchange(s, 0x7F, 1);
    EXPECT_EQ(enroll[4], 0);
    EXPECT_FALSE(LongAnswerValid(enroll, 0x7F));
}

TEST_F(FingerprintEngine, ReceiveNeedsASendAndTheRightLength) {
    Attach();
    Symbol s = SymbolOfSlot(0);
    auto receive = Entry<ReceiveFingerprintFn>("AP_ReceiveFingerprint");
    auto send = Entry<SendFingerprintFn>("AP_SendFingerprint");
    uint8_t answer[40] = {};
    EXPECT_EQ(receive(s.text, answer, 8), 0) << "nothing was sent";
    uint8_t frame[8] = {0x6C, 0x63, 0x62, 0x10, 0, 0, 0xD5, 0};
    EXPECT_EQ(send(s.text, frame, 7), 0);
    ASSERT_NE(send(s.text, frame, 8), 0);
    EXPECT_EQ(receive(s.text, answer, 40), 0) << "the answer to 0x10 is 8 bytes";
}

TEST_F(FingerprintEngine, EnrolledFingerUnlocksALockedDriveWithTheFunctionOn) {
    Attach("secret");
    Symbol s = SymbolOfSlot(0);
    auto vendor = Entry<AP_GetFingerprintStatus_VendorExFn>("AP_GetFingerprintStatus_VendorEx");
    auto functionControl = Entry<AP_FingerPrintFunctControlFn>("AP_FingerPrintFunctControl");
    auto login = Entry<AP_LoginFn>("AP_Login");
    auto reset = Entry<JMChipRstExFn>("JMChipRstEx");
    auto security = Entry<AP_GetSecurityStatusFn>("AP_GetSecurityStatus");

    EXPECT_EQ(functionControl(s.text, 1), 0) << "a locked drive does not switch";
    unsigned char password[32] = "secret";
    ASSERT_EQ(login(s.text, password, 1), 1);
    std::string error;
    ASSERT_TRUE(sim::Touch("thumb", 0, &error));
    for (uint8_t n = 0; n < 5; ++n)
        Exchange(s, 0x51, n);
    ASSERT_EQ(Exchange(s, 0x7F, 1)[4], 0);
    ASSERT_TRUE(sim::Lift(0, &error));
    ASSERT_EQ(functionControl(s.text, 1), 1);
    reset(s.text); // back locked

    unsigned char st[8] = {};
    ASSERT_EQ(vendor(s.text, st), 1);
    EXPECT_EQ(st[3], 0);
    EXPECT_EQ(st[6], 1) << "function on";

    ASSERT_TRUE(sim::Touch("pinky", 0, &error));
    for (int poll = 0; poll < 3; ++poll) {
        ASSERT_EQ(vendor(s.text, st), 1);
        EXPECT_EQ(st[3], 1) << "a resting unknown finger is judged on every poll";
        EXPECT_EQ(st[4], 0);
    }
    ASSERT_TRUE(sim::Lift(0, &error));
    ASSERT_EQ(vendor(s.text, st), 1);
    EXPECT_EQ(st[3], 0);

    ASSERT_TRUE(sim::Touch("thumb", 0, &error));
    ASSERT_TRUE(sim::Lift(0, &error));
    ASSERT_EQ(vendor(s.text, st), 1);
    EXPECT_EQ(st[3], 1);
    EXPECT_EQ(st[4], 1) << "the match is reported even after the finger was lifted";
    ASSERT_EQ(vendor(s.text, st), 1);
    EXPECT_EQ(st[4], 0) << "and only once";

    unsigned char bytes[8] = {};
    ASSERT_EQ(security(s.text, 3, bytes), 1);
    EXPECT_EQ(bytes[1], 0xAA) << "unlocked";
    EXPECT_EQ(bytes[2], 0xFF);
}

} // namespace
} // namespace bridge_test
