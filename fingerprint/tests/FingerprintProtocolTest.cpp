#include "fingerprint/FingerprintProtocol.h"
#include "HookDoubles.h"
#include "fingerprint/FingerPrintCommand.h"
#include "fingerprint/FingerprintResults.h"

#include <gtest/gtest.h>

using hook_doubles::Bytes;
using hook_doubles::LongAnswer;
using hook_doubles::S;
using hook_doubles::ShortAnswer;

namespace {

TEST(CommandFrame, BytesAndChecksums) {
    struct Case {
        uint8_t command, parameter;
        Bytes expected;
    };
    const Case cases[] = {
        {0x10, 0, {0x6C, 0x63, 0x62, 0x10, 0x00, 0x00, 0xD5, 0x00}},
        {0x51, 3, {0x6C, 0x63, 0x62, 0x51, 0x03, 0x00, 0x19, 0x00}},
        {0x7F, 1, {0x6C, 0x63, 0x62, 0x7F, 0x01, 0x00, 0x45, 0x00}},
        // The sum wraps both ways: below zero and above 255.
        {0x00, 0, {0x6C, 0x63, 0x62, 0x00, 0x00, 0x00, 0xC5, 0x00}},
        {0xFF, 0xFF, {0x6C, 0x63, 0x62, 0xFF, 0xFF, 0x00, 0xC3, 0x00}},
    };
    for (const auto& c : cases) {
        uint8_t frame[8];
        BuildCommandFrame(c.command, c.parameter, frame);
        EXPECT_EQ(Bytes(frame, frame + 8), c.expected) << "command " << int(c.command);
    }
}

TEST(AnswerCheck, ShortAnswers) {
    struct Case {
        const char* what;
        uint8_t command;
        Bytes answer;
        int32_t expected;
    };
    const Case cases[] = {
        {"valid", 0x10, {0x6C, 0x62, 0x63, 0x10, 0x00, 0x00, 0x00, 0xD5}, 0},
        {"valid with result bytes", 0x51, ShortAnswer(0x51, 0, 0x00, 0x02), 0},
        {"checksum off by one",
         0x10,
         {0x6C, 0x62, 0x63, 0x10, 0x00, 0x00, 0x00, 0xD4},
         kFpBadChecksum},
        {"header in command order",
         0x10,
         {0x6C, 0x63, 0x62, 0x10, 0x00, 0x00, 0x00, 0xD5},
         kFpBadAnswer},
        {"echo of another command", 0x10, ShortAnswer(0x74), kFpBadAnswer},
        {"status wins over a bad checksum",
         0x10,
         {0x6C, 0x62, 0x63, 0x10, 0xB2, 0x00, 0x00, 0x00},
         0xB2},
        {"status wins over a bad header", 0x73, {0, 0, 0, 0, 0x90, 0, 0, 0}, 0x90},
        {"status byte not covered by the checksum", 0x10, ShortAnswer(0x10, 0x01), 1},
        {"all zeros", 0x10, Bytes(8, 0), kFpBadAnswer},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckAnswer(c.command, c.answer.data(), false), c.expected) << c.what;
}

TEST(AnswerCheck, LongAnswersCoverStatusResultAndPayload) {
    Bytes payload(32);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = uint8_t(0xA0 + i);
    Bytes good = LongAnswer(0x7F, payload);
    ASSERT_EQ(good.size(), 40u);
    EXPECT_EQ(CheckAnswer(0x7F, good.data(), true), 0);

    for (size_t i : {size_t(5), size_t(6), size_t(7), size_t(38)}) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        EXPECT_EQ(CheckAnswer(0x7F, bad.data(), true), kFpBadChecksum) << "byte " << i;
    }
    Bytes wrongEcho = LongAnswer(0x7E, payload);
    EXPECT_EQ(CheckAnswer(0x7F, wrongEcho.data(), true), kFpBadAnswer);
}

TEST(AnswerCheck, HexBytesForm) {
    const uint8_t bytes[] = {0x6C, 0x0A, 0xFF};
    EXPECT_EQ(HexBytes(bytes, 3), " 6c 0a ff");
    EXPECT_EQ(HexBytes(bytes, 0), "");
}

class FingerPrintCommandTest : public ::testing::Test {
protected:
    void SetUp() override { hook_doubles::Install(); }
    void TearDown() override { hook_doubles::Uninstall(); }
};

TEST_F(FingerPrintCommandTest, SendsTheFrameAndHandsBackResultBytes) {
    S().answers.push_back(ShortAnswer(0x51, 0, 0x34, 0x12));
    uint8_t result[2] = {};
    EXPECT_EQ(FingerPrintCommand("\\\\?\\usb#drive1", 0x51, 3, true, result, nullptr), 0);
    ASSERT_EQ(S().exchanges.size(), 1u);
    EXPECT_EQ(S().exchanges[0].symbol, "\\\\?\\usb#drive1");
    EXPECT_EQ(S().exchanges[0].frame, (Bytes{0x6C, 0x63, 0x62, 0x51, 0x03, 0x00, 0x19, 0x00}));
    EXPECT_EQ(S().exchanges[0].answerLength, 8);
    EXPECT_EQ(result[0], 0x34);
    EXPECT_EQ(result[1], 0x12);

    // The trace shows both frames in hex and, for a capture, each answer byte.
    EXPECT_TRUE(hook_doubles::HasLine("Begin, command = 0x51, parameter = 0x03."));
    EXPECT_TRUE(hook_doubles::HasLine("sendcmd= 6c 63 62 51 03 00 19 00\n"));
    EXPECT_TRUE(hook_doubles::HasLine("sendcmd= 6c 62 63 51 00 34 12 5c\n"));
    EXPECT_TRUE(hook_doubles::HasLine("output[5] = 0x34."));
    EXPECT_TRUE(hook_doubles::HasLine("End, res = 0."));
}

TEST_F(FingerPrintCommandTest, PayloadAsksForTheLongAnswer) {
    Bytes payload(32, 0x5A);
    S().answers.push_back(LongAnswer(0x7F, payload));
    uint8_t out[32] = {};
    uint8_t result[2] = {0xEE, 0xEE};
    EXPECT_EQ(FingerPrintCommand("d", 0x7F, 1, false, result, out), 0);
    EXPECT_EQ(S().exchanges.at(0).answerLength, 40);
    EXPECT_EQ(Bytes(out, out + 32), payload);
    EXPECT_EQ(result[0], 0xEE) << "result bytes untouched when not asked for";
}

TEST_F(FingerPrintCommandTest, FailuresBecomeResultCodes) {
    uint8_t result[2] = {0xEE, 0xEE};

    // No symbol: nothing is sent.
    EXPECT_EQ(FingerPrintCommand(nullptr, 0x10, 0, true, result, nullptr), kFpMissingArgument);
    EXPECT_EQ(FingerPrintCommand("", 0x10, 0, true, result, nullptr), kFpMissingArgument);
    EXPECT_TRUE(S().exchanges.empty());
    EXPECT_TRUE(hook_doubles::HasLine("The *drivesymbol is empty."));

    S().sendFails = true;
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, true, result, nullptr), kFpExchangeFailed);
    EXPECT_TRUE(hook_doubles::HasLine("Run pAP_SendFingerprint()."));
    S().sendFails = false;

    // No answer queued: the receive call fails.
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, true, result, nullptr), kFpExchangeFailed);
    EXPECT_TRUE(hook_doubles::HasLine("Run pAP_ReceiveFingerprint()."));

    // A status comes back as it came, even with a broken checksum.
    S().answers.push_back({0x6C, 0x62, 0x63, 0x10, 0xB2, 0x00, 0x00, 0x00});
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, true, result, nullptr), 178);
    EXPECT_TRUE(hook_doubles::HasLine("Ask,  rpc->returnVal = 178."));

    S().answers.push_back({0x6C, 0x62, 0x63, 0x10, 0x00, 0x00, 0x00, 0xD4});
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, true, result, nullptr), kFpBadChecksum);
    S().answers.push_back(ShortAnswer(0x11));
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, true, result, nullptr), kFpBadAnswer);
    EXPECT_TRUE(hook_doubles::HasLine("check respone, res = -189270010."));

    EXPECT_EQ(result[0], 0xEE) << "no result bytes from a failed exchange";
    EXPECT_TRUE(hook_doubles::HasLine("End, res = -189270030."));
}

TEST_F(FingerPrintCommandTest, MissingHooksFailCleanly) {
    hook_doubles::Uninstall();
    EXPECT_EQ(FingerPrintCommand("d", 0x10, 0, false, nullptr, nullptr), kFpExchangeFailed);
}

TEST_F(FingerPrintCommandTest, LongSymbolIsCutToTheLibrarysBuffer) {
    std::string longSymbol(100, 'x');
    S().answers.push_back(ShortAnswer(0x10));
    EXPECT_EQ(FingerPrintCommand(longSymbol.c_str(), 0x10, 0, false, nullptr, nullptr), 0);
    EXPECT_EQ(S().exchanges.at(0).symbol, std::string(63, 'x'));
}

} // namespace
