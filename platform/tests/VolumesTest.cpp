#include "platform/Volumes.h"
#include "TestEnvironment.h"
#include "platform/Clock.h"
#include "platform/DeviceWatch.h"
#include "platform/Environment.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <vector>

namespace {

TEST(VolumesTest, DriveLetterOfTakesTheFirstCharacter) {
    const struct {
        const char* text;
        char letter;
    } cases[] = {{"E", 'E'}, {"e:", 'E'}, {"F:\\", 'F'}, {"GH", 'G'},
                 {"", 0},    {"1:", 0},   {":\\", 0},    {"\xC3\x84", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::DriveLetterOf(c.text), c.letter) << c.text;
}

#ifdef _WIN32

TEST(VolumesTest, SystemDriveIsAFixedVolumeWithSpace) {
    EXPECT_EQ(platform::DriveType("C:\\"), platform::kDriveFixed);
    platform::DiskSpace space;
    ASSERT_TRUE(platform::QueryDiskSpace("C:", space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_TRUE(platform::PresentVolumes().count('C'));
    EXPECT_FALSE(platform::QueryDiskSpace("?:", space));
}

#else

// The POSIX mount table, written here by hand as the simulated drive writes it.
class MountTable : public ::testing::Test {
protected:
    void SetUp() override {
        dir = testing_env::MakeTempDir("mounts");
        platform::SetEnv("KELMORA_SIM_DIR", platform::PathToUtf8(dir));
        std::filesystem::create_directories(dir / "volumes");
        root = dir / "root";
        std::filesystem::create_directories(root);
    }
    void Write(char letter, const std::string& text) {
        std::ofstream(dir / "volumes" / (std::string(1, letter) + ".vol")) << text;
    }
    std::filesystem::path dir, root;
};

TEST_F(MountTable, ResolvesLettersToFoldersWithTheirFigures) {
    Write('E', "root=" + root.string() + "\ntype=3\nsize=500107862016\nfree=20000000000\n");
    Write('F', "root=" + root.string() + "\ntype=5\nsize=8388608\nfree=0\n");
    Write('G', "root=" + root.string() + "\n"); // figures of the folder's file system
    Write('H', "type=3\nsize=1\n");             // no root: no volume

    EXPECT_EQ(platform::VolumeRoot("E"), root);
    EXPECT_EQ(platform::DriveType("E:\\"), platform::kDriveFixed);
    EXPECT_EQ(platform::DriveType("f:\\"), platform::kDriveCdrom);
    EXPECT_EQ(platform::DriveType("H:\\"), platform::kDriveNoRootDir);
    EXPECT_EQ(platform::DriveType("Q:\\"), platform::kDriveNoRootDir);
    EXPECT_FALSE(platform::VolumeRoot("Q").has_value());

    platform::DiskSpace space;
    ASSERT_TRUE(platform::QueryDiskSpace("E:", space));
    EXPECT_EQ(space.totalBytes, 500107862016u);
    EXPECT_EQ(space.freeBytes, 20000000000u);
    ASSERT_TRUE(platform::QueryDiskSpace("G:", space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_FALSE(platform::QueryDiskSpace("H:", space));
    EXPECT_FALSE(platform::QueryDiskSpace("", space));

    auto present = platform::PresentVolumes();
    EXPECT_EQ(present.size(), 3u);
    EXPECT_NE(present['E'], present['F']);
}

TEST_F(MountTable, WatcherReportsRemovalsThenArrivals) {
    platform::SetClock(std::make_shared<platform::FastClock>(50));
    Write('E', "root=" + root.string() + "\ntype=3\n");
    std::mutex mutex;
    std::vector<platform::VolumeChange> changes;
    auto wait = [&](size_t n) {
        for (int i = 0; i < 2000; ++i) {
            {
                std::lock_guard lock(mutex);
                if (changes.size() >= n)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    {
        platform::VolumeWatcher watcher([&](const platform::VolumeChange& c) {
            std::lock_guard lock(mutex);
            changes.push_back(c);
        });
        Write('F', "root=" + root.string() + "\ntype=3\n");
        ASSERT_TRUE(wait(1));
        std::filesystem::remove(dir / "volumes" / "E.vol");
        ASSERT_TRUE(wait(2));
        // Another volume takes letter F between two polls: removed, then arrived.
        Write('F', "root=" + root.string() + "\ntype=5\n");
        ASSERT_TRUE(wait(4));
    }
    platform::SetClock(nullptr);
    ASSERT_EQ(changes.size(), 4u) << "nothing present at the start is reported";
    EXPECT_TRUE(changes[0].arrival);
    EXPECT_EQ(changes[0].letterMask, 1u << ('F' - 'A'));
    EXPECT_FALSE(changes[1].arrival);
    EXPECT_EQ(changes[1].letterMask, 1u << ('E' - 'A'));
    EXPECT_FALSE(changes[2].arrival);
    EXPECT_TRUE(changes[3].arrival);
    EXPECT_EQ(changes[3].letterMask, 1u << ('F' - 'A'));
}

#endif

} // namespace
