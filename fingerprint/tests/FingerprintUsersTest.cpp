#include "fingerprint/FingerprintUsers.h"
#include "HookDoubles.h"
#include "fingerprint/FingerprintResults.h"

#include <gtest/gtest.h>

using hook_doubles::Bytes;
using hook_doubles::LongAnswer;
using hook_doubles::S;
using hook_doubles::ShortAnswer;

namespace {

constexpr const char* kDrive = "drive-0";

customdata& Area() {
    return *reinterpret_cast<customdata*>(S().area);
}

void SetIds(std::initializer_list<int8_t> ids) {
    int slot = 0;
    for (int8_t id : ids) {
        Area().users[slot].id = id;
        Area().users[slot].name[0] = uint8_t('a' + slot);
        ++slot;
    }
    Area().checksum = CustomDataChecksum(Area());
}

// (command, parameter) of every frame sent so far.
std::vector<std::pair<int, int>> Sent() {
    std::vector<std::pair<int, int>> out;
    for (const auto& e : S().exchanges)
        out.emplace_back(e.frame[3], e.frame[4]);
    return out;
}

class FingerprintUsersTest : public ::testing::Test {
protected:
    void SetUp() override { hook_doubles::Install(); }
    void TearDown() override { hook_doubles::Uninstall(); }
};

TEST_F(FingerprintUsersTest, FingerPresence) {
    struct Case {
        Bytes answer;
        bool present;
    };
    const Case cases[] = {
        {ShortAnswer(0x10), true},
        {ShortAnswer(0x10, 0xB2), false},
        {ShortAnswer(0x10, 0x01), true}, // any other status still means a finger
        {ShortAnswer(0x11), false},      // a broken answer counts as none
    };
    for (const auto& c : cases) {
        S().answers.push_back(c.answer);
        EXPECT_EQ(isFingerOnSensor(kDrive), c.present) << int(c.answer[4]);
    }
    EXPECT_FALSE(isFingerOnSensor(kDrive)) << "no answer at all";
    EXPECT_EQ(Sent().front(), std::make_pair(0x10, 0));
}

TEST_F(FingerprintUsersTest, FiveCapturesEnrollTheOfferedId) {
    uint8_t counter = 0, id = 0;
    uint8_t payload[32] = {};
    for (int capture = 0; capture < 4; ++capture) {
        S().answers.push_back(ShortAnswer(0x74, 0, 6));
        S().answers.push_back(ShortAnswer(0x51, 0, 0x10, 0x00));
        EXPECT_EQ(enrollStep(kDrive, &counter, &id, payload), kFpMoreCaptures);
        EXPECT_EQ(counter, capture + 1);
    }
    S().exchanges.clear();
    S().answers.push_back(ShortAnswer(0x74, 0, 6));
    S().answers.push_back(ShortAnswer(0x51, 0, 0x00, 0x02)); // 0x200: still accepted
    S().answers.push_back(LongAnswer(0x7F, Bytes(32, 0x3C)));
    EXPECT_EQ(enrollStep(kDrive, &counter, &id, payload), 0);
    EXPECT_EQ(Sent(), (std::vector<std::pair<int, int>>{{0x74, 0}, {0x51, 4}, {0x7F, 6}}));
    EXPECT_EQ(S().exchanges.back().answerLength, 40);
    EXPECT_EQ(id, 6);
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(payload[31], 0x3C);
}

TEST_F(FingerprintUsersTest, RefusedCaptures) {
    uint8_t payload[32] = {};
    struct Case {
        const char* what;
        Bytes nextId, capture;
        int32_t expected;
        int sent;
    };
    const Case cases[] = {
        {"too similar", ShortAnswer(0x74, 0, 2), ShortAnswer(0x51, 0, 0x01, 0x02), kFpTooSimilar,
         2},
        {"no finger", ShortAnswer(0x74, 0, 2), ShortAnswer(0x51, 0xB2), 0xB2, 2},
        {"engine refusal", ShortAnswer(0x74, 0, 2), ShortAnswer(0x51, 0x05), 5, 2},
        {"wrong echo", ShortAnswer(0x74, 0, 2), ShortAnswer(0x52), kFpBadAnswer, 2},
        {"no free id", ShortAnswer(0x74, 0x21), ShortAnswer(0x51), 0x21, 1},
    };
    for (const auto& c : cases) {
        hook_doubles::Install();
        S().answers = {c.nextId, c.capture};
        uint8_t counter = 2, id = 0xEE;
        EXPECT_EQ(enrollStep(kDrive, &counter, &id, payload), c.expected) << c.what;
        EXPECT_EQ(counter, 2) << c.what;
        EXPECT_EQ(id, 0xEE) << c.what;
        EXPECT_EQ(int(S().exchanges.size()), c.sent) << c.what;
    }

    uint8_t counter = 0;
    EXPECT_EQ(enrollStep(kDrive, &counter, nullptr, nullptr), kFpMissingArgument);
    EXPECT_TRUE(hook_doubles::HasLine("The *dm5 is empty!"));
}

TEST_F(FingerprintUsersTest, FailedEnrollLeavesTheCounterAtFive) {
    uint8_t counter = 4, id = 0;
    uint8_t payload[32] = {};
    S().answers = {ShortAnswer(0x74, 0, 3), ShortAnswer(0x51), ShortAnswer(0x7F, 0x07)};
    EXPECT_EQ(enrollStep(kDrive, &counter, &id, payload), 7);
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(id, 0);

    // The next touch captures again, with the next number, and enrolls once more.
    S().exchanges.clear();
    S().answers = {ShortAnswer(0x74, 0, 3), ShortAnswer(0x51), LongAnswer(0x7F, Bytes(32))};
    EXPECT_EQ(enrollStep(kDrive, &counter, &id, payload), 0);
    EXPECT_EQ(Sent(), (std::vector<std::pair<int, int>>{{0x74, 0}, {0x51, 5}, {0x7F, 3}}));
    EXPECT_EQ(id, 3);
}

TEST_F(FingerprintUsersTest, EraseOne) {
    struct Case {
        Bytes answer;
        int32_t expected;
    };
    const Case cases[] = {
        {ShortAnswer(0x73), 0},
        {ShortAnswer(0x73, 0x90), 0},
        {ShortAnswer(0x73, 0x33), 0x33},
    };
    for (const auto& c : cases) {
        S().answers.push_back(c.answer);
        EXPECT_EQ(eraseOneUser(kDrive, 9), c.expected);
    }
    EXPECT_EQ(eraseOneUser(kDrive, 9), kFpExchangeFailed);
    EXPECT_EQ(Sent().front(), std::make_pair(0x73, 9));
}

TEST_F(FingerprintUsersTest, AddAndList) {
    FpUserRecord r{};
    r.id = 4;
    EXPECT_EQ(addUser(kDrive, r), 0);
    EXPECT_EQ(Area().users[0].id, 4);

    S().readFails = true;
    EXPECT_EQ(addUser(kDrive, r), kFpAreaUnreadable);
    FpUserRecord users[kMaxListedUsers];
    int count = -1;
    EXPECT_FALSE(listUsers(kDrive, users, &count));
    EXPECT_EQ(count, 0);
    S().readFails = false;

    // Twelve used slots among free ones: the first ten, in table order.
    SetIds({1, 2, 0, 3, 4, 5, int8_t(0x90), 6, 7, 8, 9, 10, 11, 12});
    ASSERT_TRUE(listUsers(kDrive, users, &count));
    EXPECT_EQ(count, 10);
    const int expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(users[i].id, expected[i]);
}

TEST_F(FingerprintUsersTest, DeleteErasesTheTemplateThenTheRecord) {
    SetIds({5, 6});
    FpUserRecord victim{};
    victim.id = 6;

    // Not in the table: the engine is not asked.
    FpUserRecord stranger{};
    stranger.id = 9;
    EXPECT_EQ(deleteUser(kDrive, stranger), kFpRefused);
    EXPECT_TRUE(S().exchanges.empty());

    // The engine refuses: the record stays.
    S().answers.push_back(ShortAnswer(0x73, 0x41));
    EXPECT_EQ(deleteUser(kDrive, victim), 0x41);
    EXPECT_EQ(Area().users[1].id, 6);

    // Template gone (or never there), record cannot be removed.
    S().answers.push_back(ShortAnswer(0x73, 0x90));
    S().writeFails = true;
    EXPECT_EQ(deleteUser(kDrive, victim), kFpTableNotUpdated);
    S().writeFails = false;

    S().answers.push_back(ShortAnswer(0x73));
    EXPECT_EQ(deleteUser(kDrive, victim), 0);
    EXPECT_EQ(Area().users[1].id, 0);
    EXPECT_EQ(Area().users[0].id, 5);
    EXPECT_EQ(Sent().back(), std::make_pair(0x73, 6));

    S().readFails = true;
    EXPECT_EQ(deleteUser(kDrive, victim), kFpAreaUnreadable);
}

TEST_F(FingerprintUsersTest, EraseAll) {
    SetIds({1, 2, 3});
    Area().remark[0] = 'h';
    Area().remarkFlag = 1;
    Area().checksum = CustomDataChecksum(Area());

    S().answers.push_back(ShortAnswer(0x54, 0x12));
    EXPECT_EQ(eraseAllUsers(kDrive), kFpEngineRefused);
    EXPECT_EQ(Area().users[0].id, 1) << "the table stays when the engine refused";

    S().answers.push_back(ShortAnswer(0x54, 0x90));
    S().writeFails = true;
    EXPECT_EQ(eraseAllUsers(kDrive), kFpAreaWriteFailed);
    S().writeFails = false;

    S().answers.push_back(ShortAnswer(0x54));
    S().readFails = true;
    EXPECT_EQ(eraseAllUsers(kDrive), kFpAreaUnreadable);
    S().readFails = false;

    S().answers.push_back(ShortAnswer(0x54));
    EXPECT_EQ(eraseAllUsers(kDrive), 0);
    for (const auto& slot : Area().users)
        EXPECT_EQ(slot.id, 0);
    EXPECT_EQ(Area().remarkFlag, 1);
    EXPECT_EQ(Sent().back(), std::make_pair(0x54, 0));
}

} // namespace
