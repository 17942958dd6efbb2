// The built Zavuvida program, started from a shipped folder as a user starts it.
#include "LauncherTestSupport.h"

namespace launcher_test {
namespace {

const std::string kSevenBytes("V1.2.1\0", 7);

using ZavuvidaProgramTest = LauncherFixture;

TEST_F(ZavuvidaProgramTest, InstallsItsShippedFolderAndStartsTheMainProgramFromThere) {
    const fs::path built = BuiltProgram(L"Zavuvida.exe");
    ASSERT_TRUE(fs::exists(built)) << built;
    // Zavuvida beside "app" (with the main program) and "service".
    const fs::path shipped = MakeShippedFolder();
    const fs::path zavuvida = ProgramIn(shipped, L"Zavuvida.exe");
    fs::copy_file(built, zavuvida);
    const fs::path data = DataFolder();
    WriteBytes(data / "app" / "VersionInfo.txt", "V1.2.0");
    WriteBytes(data / "app" / "from-1.2.0.txt", "old");

    // Run by the system clock: Zavuvida itself runs on real time anyway.
    platform::SetClock(nullptr);
    const uint32_t first = platform::StartProcess(zavuvida);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(WaitForExit(first, 60), 0);

    ExpectMainProgramStartedFromDataFolder(data);
    EXPECT_FALSE(fs::exists(data / "app" / "from-1.2.0.txt"));
    EXPECT_TRUE(fs::exists(ProgramIn(data, L"Zavuvida.exe")));
    EXPECT_TRUE(fs::exists(data / "app" / "language" / "English.ini"));
    EXPECT_EQ(ReadBytes(shipped / "app" / "VersionInfo.txt"), kSevenBytes);
    EXPECT_EQ(ReadBytes(data / "app" / "VersionInfo.txt"), kSevenBytes);

    // Started again, the installed copy is current: nothing is copied, the program starts.
    fs::remove(data / "app" / "started.txt");
    WriteBytes(data / "app" / "kept.txt", "still here");
    const uint32_t second = platform::StartProcess(zavuvida);
    ASSERT_NE(second, 0u);
    EXPECT_EQ(WaitForExit(second, 60), 0);
    ExpectMainProgramStartedFromDataFolder(data);
    EXPECT_TRUE(fs::exists(data / "app" / "kept.txt"));
}

} // namespace
} // namespace launcher_test
