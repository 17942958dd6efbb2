#include "fingerprint/CustomerSpace.h"
#include "HookDoubles.h"
#include "fingerprint/FingerprintResults.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

using hook_doubles::S;

namespace {

constexpr const char* kDrive = "drive-0";

customdata& Area() {
    return *reinterpret_cast<customdata*>(S().area);
}

FpUserRecord Record(int8_t id, char16_t letter = u'A', uint8_t reserved = 0) {
    FpUserRecord r{};
    r.id = id;
    r.reserved = reserved;
    r.name[0] = uint8_t(letter);
    r.name[1] = uint8_t(letter >> 8);
    return r;
}

// The drive's area with these (slot, id) records and a valid checksum.
void SetSlots(std::initializer_list<std::pair<int, int8_t>> slots) {
    for (auto [slot, id] : slots)
        Area().users[slot] = Record(id, char16_t(u'a' + slot));
    Area().checksum = CustomDataChecksum(Area());
}

bool AreaIsValid() {
    return CustomDataChecksum(Area()) == Area().checksum;
}

class CustomerSpaceTest : public ::testing::Test {
protected:
    void SetUp() override { hook_doubles::Install(); }
    void TearDown() override { hook_doubles::Uninstall(); }

    UserContext* Load() { return loadCustomerSpace(kDrive, &guc, &image); }

    UserContext guc;
    customdata image;
};

TEST_F(CustomerSpaceTest, LoadValidatesTheChecksum) {
    // 512 zero bytes: valid, empty, left alone.
    ASSERT_EQ(Load(), &guc);
    EXPECT_TRUE(guc.init);
    EXPECT_EQ(guc.userNum, 0);
    EXPECT_EQ(S().writes, 0);

    // Bytes 480..510 are outside the checksum.
    SetSlots({{0, 5}, {3, 9}});
    for (int i = 480; i <= 510; ++i)
        S().area[i] = uint8_t(i);
    ASSERT_EQ(Load(), &guc);
    EXPECT_EQ(guc.userNum, 2);
    EXPECT_EQ(S().writes, 0);

    // A checksum that does not add up resets the whole area, hint and all, to zeros.
    S().area[511] ^= 0x01;
    ASSERT_EQ(Load(), &guc);
    EXPECT_EQ(guc.userNum, 0);
    EXPECT_EQ(S().writes, 1);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(S().area[i], 0) << "byte " << i;
    EXPECT_EQ(findUser(&guc, 5), nullptr);
}

TEST_F(CustomerSpaceTest, LoadFailures) {
    S().readFails = true;
    EXPECT_EQ(Load(), nullptr);
    EXPECT_FALSE(guc.init);
    EXPECT_TRUE(hook_doubles::HasLine("Errro, Read Custon Data!"));
    S().readFails = false;

    // A broken area that cannot be reset fails the load.
    S().area[0] = 7;
    S().writeFails = true;
    EXPECT_EQ(Load(), nullptr);
    EXPECT_TRUE(hook_doubles::HasLine("Error, WriteCustomData(), res = 0."));
    EXPECT_EQ(S().area[0], 7);

    // Nothing works on a context that did not load.
    FpUserRecord r = Record(1);
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &r), kFpRefused);
    EXPECT_EQ(delUserToCustomerSpace(kDrive, &guc, 1), 0);
    EXPECT_EQ(updateUserInCustomerSpace(kDrive, &guc, &r), kFpRefused);
    EXPECT_EQ(clearUsersInCustomerSpace(kDrive, &guc), kFpRefused);
}

TEST_F(CustomerSpaceTest, IdsFromTheHighBitUpCountAsFree) {
    SetSlots({{0, 1}, {1, int8_t(0x80)}, {2, 3}, {3, int8_t(0xFF)}, {4, 127}});
    ASSERT_EQ(Load(), &guc);
    EXPECT_EQ(guc.userNum, 3);
    EXPECT_EQ(getNthUser(&guc, 0), &image.users[0]);
    EXPECT_EQ(getNthUser(&guc, 1), &image.users[2]);
    EXPECT_EQ(getNthUser(&guc, 2), &image.users[4]);
    EXPECT_EQ(getNthUser(&guc, 3), nullptr);
    EXPECT_EQ(getNthUser(&guc, 14), nullptr);
    EXPECT_EQ(findUser(&guc, 127), &image.users[4]);
    EXPECT_EQ(findUser(&guc, -128), nullptr);
    EXPECT_EQ(findUser(&guc, 0), nullptr);

    // A new user takes the first free slot: the one marked 0x80.
    FpUserRecord r = Record(42);
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &r), 0);
    EXPECT_EQ(Area().users[1].id, 42);
    EXPECT_EQ(guc.userNum, 4);
    EXPECT_TRUE(AreaIsValid());
}

TEST_F(CustomerSpaceTest, ReAddingAnIdReplacesItsRecord) {
    struct Case {
        const char* what;
        std::initializer_list<std::pair<int, int8_t>> slots;
        int expectedSlot;
    };
    const Case cases[] = {
        {"first free slot comes before the old one", {{1, 7}, {2, 8}}, 0},
        {"the old slot is the first free one", {{0, 7}, {1, 8}}, 0},
        {"old slot in the middle", {{0, 6}, {1, 8}, {2, 7}}, 2},
    };
    for (const auto& c : cases) {
        hook_doubles::Install();
        SetSlots(c.slots);
        ASSERT_EQ(Load(), &guc) << c.what;
        const int8_t before = guc.userNum;
        FpUserRecord r = Record(7, u'Z');
        EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &r), 0) << c.what;
        EXPECT_EQ(guc.userNum, before) << c.what;
        int copies = 0;
        for (const auto& slot : Area().users)
            copies += slot.id == 7;
        EXPECT_EQ(copies, 1) << c.what;
        EXPECT_EQ(Area().users[c.expectedSlot].id, 7) << c.what;
        EXPECT_EQ(Area().users[c.expectedSlot].name[0], 'Z') << c.what;
        EXPECT_TRUE(AreaIsValid()) << c.what;
    }
}

TEST_F(CustomerSpaceTest, FullTableRefusesANewIdWithoutWriting) {
    for (int i = 0; i < MAXUSERNUM; ++i)
        Area().users[i] = Record(int8_t(i + 1));
    Area().checksum = CustomDataChecksum(Area());
    ASSERT_EQ(Load(), &guc);
    EXPECT_EQ(guc.userNum, 14);

    FpUserRecord fresh = Record(100);
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &fresh), kFpRefused);
    EXPECT_TRUE(hook_doubles::HasLine("Not have space."));
    EXPECT_EQ(S().writes, 0);

    // An id already present still fits: it replaces itself.
    FpUserRecord again = Record(9, u'Q');
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &again), 0);
    EXPECT_EQ(guc.userNum, 14);
}

TEST_F(CustomerSpaceTest, AddRefusals) {
    ASSERT_EQ(Load(), &guc);
    FpUserRecord zero = Record(0);
    FpUserRecord negative = Record(int8_t(0x80));
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &zero), kFpRefused);
    EXPECT_TRUE(hook_doubles::HasLine("The afp->id == 0 !"));
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &negative), kFpRefused);
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, nullptr), kFpRefused);
    EXPECT_EQ(S().writes, 0);

    // A failed write leaves drive and image as they were.
    SetSlots({{0, 3}});
    ASSERT_EQ(Load(), &guc);
    S().writeFails = true;
    FpUserRecord r = Record(3, u'N');
    EXPECT_EQ(addUserToCustomerSpace(kDrive, &guc, &r), kFpRecordWriteFailed);
    EXPECT_EQ(guc.userNum, 1);
    EXPECT_EQ(image.users[0].name[0], 'a');
    EXPECT_EQ(Area().users[0].name[0], 'a');
}

TEST_F(CustomerSpaceTest, DeleteUpdateAndClear) {
    SetSlots({{0, 1}, {1, 2}, {2, 3}});
    Area().remark[0] = 'h';
    Area().remarkFlag = 1;
    Area().checksum = CustomDataChecksum(Area());
    ASSERT_EQ(Load(), &guc);

    // Deleting an id that is not there writes nothing.
    EXPECT_EQ(delUserToCustomerSpace(kDrive, &guc, 9), 0);
    EXPECT_EQ(S().writes, 0);

    EXPECT_EQ(delUserToCustomerSpace(kDrive, &guc, 2), 1);
    EXPECT_EQ(Area().users[1].id, 0);
    EXPECT_EQ(guc.userNum, 2);
    EXPECT_TRUE(AreaIsValid());

    S().writeFails = true;
    EXPECT_EQ(delUserToCustomerSpace(kDrive, &guc, 3), 0);
    EXPECT_EQ(guc.userNum, 2);
    EXPECT_EQ(image.users[2].id, 3) << "the image stays in step with the drive";
    FpUserRecord renamed = Record(3, u'R', 0x44);
    EXPECT_EQ(updateUserInCustomerSpace(kDrive, &guc, &renamed), kFpAreaWriteFailed);
    S().writeFails = false;

    EXPECT_EQ(updateUserInCustomerSpace(kDrive, &guc, &renamed), 0);
    EXPECT_EQ(Area().users[2].name[0], 'R');
    EXPECT_EQ(Area().users[2].reserved, 0x44);
    FpUserRecord unknown = Record(50);
    EXPECT_EQ(updateUserInCustomerSpace(kDrive, &guc, &unknown), kFpRefused);
    EXPECT_EQ(updateUserInCustomerSpace(kDrive, &guc, nullptr), kFpRefused);

    EXPECT_EQ(clearUsersInCustomerSpace(kDrive, &guc), 0);
    EXPECT_EQ(guc.userNum, 0);
    for (const auto& slot : Area().users)
        EXPECT_EQ(slot.id, 0);
    EXPECT_EQ(Area().remark[0], 'h');
    EXPECT_EQ(Area().remarkFlag, 1);
    EXPECT_TRUE(AreaIsValid());
}

TEST_F(CustomerSpaceTest, RemarkKeepsNoPasswordBytes) {
    uint8_t tail[32], hint[32];
    EXPECT_FALSE(readRemark(kDrive, tail, hint)) << "no hint stored yet";

    // An area that still carries a password copy from elsewhere.
    SetSlots({{0, 4}});
    for (int i = 480; i < 496; ++i)
        S().area[i] = 'p';
    S().area[500] = 0x77;

    uint8_t written[32];
    for (int i = 0; i < 32; ++i)
        written[i] = uint8_t(0x40 + i);
    ASSERT_TRUE(writeRemark(kDrive, written));
    for (int i = 480; i < 496; ++i)
        EXPECT_EQ(S().area[i], 0) << "byte " << i;
    EXPECT_EQ(S().area[496], 1);
    EXPECT_EQ(S().area[500], 0x77) << "bytes the program does not own stay";
    EXPECT_EQ(Area().users[0].id, 4);
    EXPECT_TRUE(AreaIsValid());

    ASSERT_TRUE(readRemark(kDrive, tail, hint));
    EXPECT_EQ(0, memcmp(hint, written, 32));
    EXPECT_EQ(tail[16], 1);
    EXPECT_EQ(tail[20], 0x77);
    EXPECT_EQ(tail[31], Area().checksum);

    S().writeFails = true;
    EXPECT_FALSE(writeRemark(kDrive, written));
    S().writeFails = false;
    S().readFails = true;
    EXPECT_FALSE(writeRemark(kDrive, written));
    EXPECT_FALSE(readRemark(kDrive, tail, hint));
}

} // namespace
