#include "DeviceFixture.h"

#include <set>

namespace device_test {
namespace {

using DriveListing = DeviceTest;

TEST_F(DriveListing, NoDriveGivesAnEmptyListAndZero) {
    DiskManager& dm = Manager();
    std::vector<std::unique_ptr<DriveEntry>> list;
    list.push_back(std::make_unique<DriveEntry>()); // left over from the caller
    EXPECT_EQ(dm.ListDrives(list), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(dm.driveCount, 0);
}

TEST_F(DriveListing, KeepsOnlyDrivesOfTheProductWithTheirSlot) {
    Attach("", "Other SSD");
    Attach("secret");
    Attach("", "ZEMO SSD Dudur "); // a trailing blank
    Attach("", "zemo ssd dudur");  // another case
    DiskManager& dm = Manager();
    std::vector<std::unique_ptr<DriveEntry>> list;
    ASSERT_EQ(dm.ListDrives(list), 1);
    EXPECT_EQ(dm.driveCount, 4);
    ASSERT_EQ(list.size(), 1u);
    const DriveEntry& e = *list[0];
    EXPECT_EQ(e.index, 1);
    std::string symbol = e.driveSymbol;
    EXPECT_EQ(symbol, sim::SymbolOf(Drive(2)));
    EXPECT_TRUE(e.hasShortTail);
    EXPECT_EQ(e.letters, "F") << "the locked drive's disc";
    EXPECT_EQ(e.description, symbol + "\t << F >>\n");
    EXPECT_EQ(e.description.substr(22, 12), Drive(2).serial) << "the drive's identity";
}

TEST_F(DriveListing, ADriveWithoutLettersStillListsWithAnEmptyLetterText) {
    Attach();
    Fault(1, "letter-fail");
    Manager();
    auto list = List();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->letters, "");
    EXPECT_EQ(list[0]->description, std::string(list[0]->driveSymbol) + "\t <<  >>\n");

    Fault(1, "product-fail");
    EXPECT_TRUE(List().empty()) << "product information that cannot be read drops the drive";
}

TEST_F(DriveListing, DecodesEverySecurityStatus) {
    Attach();
    DiskManager& dm = Manager();
    List();
    const struct {
        int byte1, byte2;
        int expected;
    } rows[] = {
        {0x55, 0xFF, 3}, {0xAA, 0xFF, 2}, {0x12, 0xFF, -1}, {0x00, 0xFF, -1},
        {0x55, 0x00, 1}, {0x37, 0x00, 1}, {0x55, 0x01, -1}, {0xAA, 0x01, -1},
    };
    std::string error;
    for (const auto& r : rows) {
        ASSERT_TRUE(sim::SetStatusBytes(1, r.byte1, r.byte2, &error)) << error;
        EXPECT_EQ(dm.QuerySecurityStatus(0), r.expected) << std::hex << r.byte1 << " " << r.byte2;
    }
    ASSERT_TRUE(sim::SetStatusBytes(1, -1, -1, &error));
    Fault(1, "status-fail");
    EXPECT_EQ(dm.QuerySecurityStatus(0), -2);
}

TEST_F(DriveListing, StatusFollowsTheDrive) {
    Attach();
    Attach("secret");
    DiskManager& dm = Manager();
    List();
    EXPECT_EQ(dm.QuerySecurityStatus(0), 1);
    EXPECT_EQ(dm.QuerySecurityStatus(1), 3);
    EXPECT_EQ(dm.SetPassword("pa55word", 0), 1);
    EXPECT_EQ(dm.QuerySecurityStatus(0), 2);

    // Bad indexes and a drive that left the bus since the listing fail like a refused call.
    EXPECT_EQ(dm.QuerySecurityStatus(-1), -2);
    EXPECT_EQ(dm.QuerySecurityStatus(256), -2);
    EXPECT_EQ(dm.QuerySecurityStatus(7), -2);
    std::string error;
    ASSERT_TRUE(sim::Detach(2, &error));
    EXPECT_EQ(dm.QuerySecurityStatus(1), -2);
    EXPECT_EQ(dm.SetPassword("x", 1), 0);
}

// The window lists drives while the erase-and-format worker refills the same table.
TEST_F(DriveListing, ConcurrentRefillsNeverTearTheTable) {
    Attach();
    Attach();
    DiskManager& dm = Manager();
    std::set<std::string> valid = {sim::SymbolOf(Drive(1)), sim::SymbolOf(Drive(2))};
    List();
    std::atomic<int> torn{0};
    std::atomic<bool> listing{true};
    std::thread writer([&] {
        for (int round = 0; round < 100; ++round) {
            std::vector<std::unique_ptr<DriveEntry>> list;
            dm.ListDrives(list);
            for (const auto& e : list)
                torn += !valid.count(e->driveSymbol);
        }
        listing = false;
    });
    // Reads as fast as it can while the table is being rewritten.
    std::thread reader([&] {
        while (listing)
            for (int i = 0; i < 2; ++i)
                torn += !valid.count(dm.SymbolOf(i).data());
    });
    writer.join();
    reader.join();
    EXPECT_EQ(torn, 0);
}

} // namespace
} // namespace device_test
