// The launcher's routines on a scratch data root, with real stand-in processes for the
// companion service and the main program.
#include "LauncherTestSupport.h"
#include "platform/FileOps.h"
#include "platform/Services.h"

#include <csignal>

namespace launcher_test {
namespace {

using namespace std::string_literals;
using launcher::kDataFolder;

const std::string kSevenBytes("V1.2.1\0", 7);

TEST(VersionTextTest, OnlyTheVersionTextUpToTheFirstZeroIsCurrent) {
    const struct {
        std::string bytes;
        bool current;
    } cases[] = {
        {kSevenBytes, true},  {"V1.2.1", true},      {"V1.2.1\0trailing junk"s, true},
        {"V1.2.1\n", false},  {"V1.2.1\r\n", false}, {"V1.2.1 ", false},
        {"V1.2.0\0"s, false}, {"V1.2.10", false},    {"v1.2.1", false},
        {"V1.2.", false},     {"\0V1.2.1"s, false},  {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(launcher::IsCurrentVersion(c.bytes), c.current) << '"' << c.bytes << '"';
}

using WriteOwnVersionFileTest = LauncherFixture;

TEST_F(WriteOwnVersionFileTest, WritesTheSevenBytesOverWhateverWasThere) {
    const fs::path shipped = MakeShippedFolder();
    WriteBytes(shipped / "app" / "VersionInfo.txt", "V0.9.9 with a much longer old text\r\n");
    launcher::WriteOwnVersionFile(shipped);
    EXPECT_EQ(ReadBytes(shipped / "app" / "VersionInfo.txt"), kSevenBytes);

    // Without an "app" folder nothing is created and nothing fails.
    const fs::path bare = testing_env::MakeTempDir("bare");
    launcher::WriteOwnVersionFile(bare);
    EXPECT_TRUE(fs::is_empty(bare));
}

TEST_F(WriteOwnVersionFileTest, InstalledVersionFileOfAtMost32BytesIsRead) {
    // Zeros after the text up to the read limit and beyond it: still the current version.
    WriteBytes(DataFolder() / "app" / "VersionInfo.txt", "V1.2.1" + std::string(60, '\0'));
    EXPECT_TRUE(launcher::IsInstalledCopyCurrent());
    // A version text that only ends after byte 32 is never read to its end.
    WriteBytes(DataFolder() / "app" / "VersionInfo.txt", std::string(32, 'V') + "V1.2.1");
    EXPECT_FALSE(launcher::IsInstalledCopyCurrent());
    fs::remove(DataFolder() / "app" / "VersionInfo.txt");
    EXPECT_FALSE(launcher::IsInstalledCopyCurrent());
}

using LauncherRunTest = LauncherFixture;

TEST_F(LauncherRunTest, InstalledVersionDecidesBetweenStartingAndReinstalling) {
    const struct {
        const char* name;
        std::optional<std::string> installed; // empty: no version file
        bool current;
    } cases[] = {
        {"seven bytes", kSevenBytes, true}, {"six bytes without the zero", "V1.2.1"s, true},
        {"line break", "V1.2.1\n"s, false}, {"another version", "V1.1.9\0"s, false},
        {"empty file", ""s, false},         {"missing file", std::nullopt, false},
    };
    const fs::path shipped = MakeShippedFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseFreshDataRoot();
        const fs::path data = DataFolder();
        // An installed copy of the shipped folder with the case's version file and a file
        // that only a reinstallation removes.
        CopyTree(shipped, data);
        fs::remove(data / "app" / "VersionInfo.txt");
        if (c.installed)
            WriteBytes(data / "app" / "VersionInfo.txt", *c.installed);
        WriteBytes(data / "old-only.txt", "left by an older version");

        EXPECT_EQ(launcher::RunLauncher(shipped), 0);

        EXPECT_EQ(fs::exists(data / "old-only.txt"), c.current);
        EXPECT_EQ(ReadBytes(data / "app" / "VersionInfo.txt"),
                  c.current ? c.installed.value_or("") : kSevenBytes);
        EXPECT_TRUE(fs::exists(data / "app" / "language" / "English.ini"));
        EXPECT_TRUE(fs::exists(data / "service" / "readme.txt"));
        ExpectMainProgramStartedFromDataFolder(data);
        EXPECT_TRUE(fs::equivalent(fs::current_path(), data / "app"));
        EXPECT_TRUE(boxes_.empty());
    }
    EXPECT_EQ(ReadBytes(shipped / "app" / "VersionInfo.txt"), kSevenBytes);
}

TEST_F(LauncherRunTest, RunningServiceIsStoppedAndUnregisteredBeforeTheCopy) {
    const fs::path shipped = MakeShippedFolder();
    const fs::path data = DataFolder();
    WriteBytes(data / "app" / "VersionInfo.txt", "V1.1.0");
    WriteBytes(data / "app" / "obsolete.dll", "old");
    // The installed service runs from the data folder and is registered by its own command.
    const uint32_t service = StartStandInService(launcher::kServiceProcess, data / "service");
    if (service == 0)
        GTEST_SKIP() << "the companion stand-in KelmoraFpSSDServer was not built";
    const fs::path serviceProgram = ProgramIn(data / "service", launcher::kServiceProcess);
    const uint32_t install = platform::StartProcess(serviceProgram, {L"install"});
    ASSERT_NE(install, 0u);
    ASSERT_EQ(WaitForExit(install), 0);
    ASSERT_TRUE(platform::IsServiceRegistered(launcher::kServiceName));
    ASSERT_TRUE(platform::RegisterServiceProgram(L"KelmoraUnrelated", serviceProgram));

    EXPECT_EQ(launcher::RunLauncher(shipped), 0);

    EXPECT_TRUE(WaitForExit(service).has_value());
    EXPECT_FALSE(launcher::IsProcessRunning(launcher::kServiceProcess));
    EXPECT_FALSE(platform::IsServiceRegistered(launcher::kServiceName));
    EXPECT_TRUE(platform::IsServiceRegistered(L"KelmoraUnrelated"));
    EXPECT_FALSE(fs::exists(data / "app" / "obsolete.dll"));
    EXPECT_EQ(ReadBytes(data / "app" / "VersionInfo.txt"), kSevenBytes);
    EXPECT_TRUE(fs::exists(data / "service" / "readme.txt"));
    ExpectMainProgramStartedFromDataFolder(data);
    EXPECT_TRUE(boxes_.empty());
    platform::RequestServiceDeletion(L"KelmoraUnrelated");
}

TEST_F(LauncherRunTest, LauncherInsideTheDataFolderNeverDeletesItsOwnCopy) {
    // The installed copy started directly, with a version file it cannot bring up to date.
    const fs::path data = DataFolder();
    CopyTree(MakeShippedFolder(), data);
    fs::remove(data / "app" / "VersionInfo.txt");
    fs::create_directory(data / "app" / "VersionInfo.txt"); // cannot be written as a file

    EXPECT_EQ(launcher::RunLauncher(data), 0);

    EXPECT_TRUE(fs::exists(ProgramIn(data / "app", launcher::kMainProgram)));
    ExpectMainProgramStartedFromDataFolder(data);
}

TEST_F(LauncherRunTest, ReadOnlyVersionFileTravelsWithTheCopyAndKeepsReinstalling) {
    const fs::path shipped = MakeShippedFolder();
    const fs::path ownVersion = shipped / "app" / "VersionInfo.txt";
    WriteBytes(ownVersion, "V1.0.0");
    SetReadOnly(ownVersion, true);
    if (IsWritable(ownVersion)) {
        SetReadOnly(ownVersion, false);
        GTEST_SKIP() << "read-only files stay writable for this user (root)";
    }
    const fs::path data = DataFolder();
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        WriteBytes(data / "old-only.txt", "removed by every reinstallation");
        EXPECT_EQ(launcher::RunLauncher(shipped), 0);
        EXPECT_EQ(ReadBytes(ownVersion), "V1.0.0");
        EXPECT_EQ(ReadBytes(data / "app" / "VersionInfo.txt"), "V1.0.0");
        EXPECT_FALSE(fs::exists(data / "old-only.txt"));
        ExpectMainProgramStartedFromDataFolder(data);
        fs::remove(data / "app" / "started.txt");
    }
    SetReadOnly(ownVersion, false);
    SetReadOnly(data / "app" / "VersionInfo.txt", false);
}

using RemoveOldInstallationTest = LauncherFixture;

TEST_F(RemoveOldInstallationTest, StopsUnregistersAndDeletesOrStopsAtAServiceThatStays) {
    const struct {
        const char* name;
        bool oldRunning, oldRegistered, currentRunning, currentRegistered;
        // Expectations.
        bool messageBox, oldFolderGone, dataFolderGone, currentStillRuns;
    } cases[] = {
        {"nothing runs", false, true, false, true, false, true, true, false},
        {"both services run", true, true, true, true, false, true, true, false},
        {"old service cannot be unregistered", true, false, true, true, true, false, false, true},
        {"current service cannot be unregistered", false, false, true, false, true, true, false,
         false},
    };
    if (!fs::exists(BuiltProgram(L"KelmoraFpSSDServer.exe")))
        GTEST_SKIP() << "the companion stand-in KelmoraFpSSDServer was not built";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseFreshDataRoot();
        boxes_.clear();
        WriteBytes(OldFolder() / "bin" / "DerEdedod.exe", "old service");
        WriteBytes(DataFolder() / "app" / "nested" / "deeper" / "file.txt", "installed");
        if (c.oldRegistered) {
            ASSERT_TRUE(platform::RegisterServiceProgram(launcher::kOldServiceName, OldFolder()));
        }
        if (c.currentRegistered) {
            ASSERT_TRUE(platform::RegisterServiceProgram(launcher::kServiceName, DataFolder()));
        }
        const uint32_t old = c.oldRunning ? StartStandInService(launcher::kOldServiceProcess) : 0;
        const uint32_t current =
            c.currentRunning ? StartStandInService(launcher::kServiceProcess) : 0;
        ASSERT_EQ(old != 0, c.oldRunning);
        ASSERT_EQ(current != 0, c.currentRunning);

        launcher::RemoveOldInstallation(launcher::kServiceName);

        if (c.messageBox) {
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].text, L"\u5378\u8f7d\u670d\u52a1\u5931\u8d25");
            EXPECT_EQ(boxes_[0].caption, L"KelmoraFpSSDServer");
        } else {
            EXPECT_TRUE(boxes_.empty());
        }
        EXPECT_EQ(fs::exists(OldFolder()), !c.oldFolderGone);
        EXPECT_EQ(fs::exists(DataFolder()), !c.dataFolderGone);
        if (old) {
            EXPECT_TRUE(WaitForExit(old).has_value()) << "the old service still runs";
        }
        if (current && c.currentStillRuns) {
            EXPECT_TRUE(IsRunning(current));
        } else if (current) {
            EXPECT_TRUE(WaitForExit(current).has_value()) << "the service still runs";
        }
        // A service is only unregistered after its process was stopped.
        EXPECT_EQ(platform::IsServiceRegistered(launcher::kOldServiceName),
                  c.oldRegistered && !c.oldRunning);
        EXPECT_EQ(platform::IsServiceRegistered(launcher::kServiceName),
                  c.currentRegistered && !(c.currentRunning && !c.messageBox));
        platform::RequestServiceDeletion(launcher::kOldServiceName);
        platform::RequestServiceDeletion(launcher::kServiceName);
        StopStartedProcesses();
    }
}

using ProcessNameTest = LauncherFixture;

TEST_F(ProcessNameTest, OnlyTheExactNameIncludingLetterCaseIsFoundAndEnded) {
    const uint32_t other = StartStandInService(L"kelmorafpssdserver.exe");
    if (other == 0)
        GTEST_SKIP() << "the companion stand-in KelmoraFpSSDServer was not built";
    EXPECT_FALSE(launcher::IsProcessRunning(launcher::kServiceProcess));
    EXPECT_FALSE(launcher::KillProcessByName(launcher::kServiceProcess));
    EXPECT_TRUE(IsRunning(other));

    const uint32_t service = StartStandInService(launcher::kServiceProcess);
    EXPECT_TRUE(launcher::IsProcessRunning(launcher::kServiceProcess));
    EXPECT_FALSE(launcher::IsProcessRunning(L"KelmoraFpSSDServer.ex"));
    EXPECT_TRUE(launcher::KillProcessByName(launcher::kServiceProcess));
    const std::optional<int> code = WaitForExit(service);
    ASSERT_TRUE(code.has_value());
#ifdef _WIN32
    EXPECT_EQ(*code, 0); // terminated with exit code 0
#else
    EXPECT_EQ(*code, 128 + SIGKILL);
#endif
    EXPECT_FALSE(launcher::IsProcessRunning(launcher::kServiceProcess));
    EXPECT_FALSE(launcher::KillProcessByName(launcher::kServiceProcess));
    EXPECT_TRUE(IsRunning(other));
    EXPECT_TRUE(launcher::EnableDebugPrivilege());
}

using DeleteFolderTreeTest = LauncherFixture;

TEST_F(DeleteFolderTreeTest, DeletesNestedFoldersButLeavesReadOnlyFilesAndTheirFolders) {
    const fs::path tree = testing_env::MakeTempDir("tree");
    WriteBytes(tree / "top.txt", "x");
    WriteBytes(tree / "sub" / "inner.txt", "x");
    WriteBytes(tree / "sub" / "deeper" / "deepest" / "leaf.bin", "x");
    fs::create_directories(tree / "empty");
    WriteBytes(tree / "keep" / "locked.txt", "read-only");
    WriteBytes(tree / "keep" / "loose.txt", "x");
    SetReadOnly(tree / "keep" / "locked.txt", true);

    // Called with a trailing separator, as the shell paths often come.
    EXPECT_TRUE(launcher::DeleteFolderTree(tree / ""));

    EXPECT_TRUE(fs::exists(tree / "keep" / "locked.txt"));
    EXPECT_FALSE(fs::exists(tree / "keep" / "loose.txt"));
    EXPECT_FALSE(fs::exists(tree / "top.txt"));
    EXPECT_FALSE(fs::exists(tree / "sub"));
    EXPECT_FALSE(fs::exists(tree / "empty"));

    SetReadOnly(tree / "keep" / "locked.txt", false);
    EXPECT_TRUE(launcher::DeleteFolderTree(tree));
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_FALSE(launcher::DeleteFolderTree(tree));
}

TEST_F(DeleteFolderTreeTest, LinkToAFolderIsRemovedWithoutTouchingItsTarget) {
    const fs::path outside = testing_env::MakeTempDir("outside");
    WriteBytes(outside / "precious.txt", "must survive");
    const fs::path tree = testing_env::MakeTempDir("tree");
    std::error_code ec;
    fs::create_directory_symlink(outside, tree / "link", ec);
    if (ec || !fs::exists(tree / "link" / "precious.txt"))
        GTEST_SKIP() << "this system cannot create a link to a folder here: " << ec.message();

    EXPECT_TRUE(launcher::DeleteFolderTree(tree));

    EXPECT_FALSE(fs::exists(tree));
    EXPECT_EQ(ReadBytes(outside / "precious.txt"), "must survive");
}

using CopyAppFolderTest = LauncherFixture;

TEST_F(CopyAppFolderTest, CopiesEverythingCreatingFoldersAndOverwritingWithoutAsking) {
    const fs::path shipped = MakeShippedFolder();
    WriteBytes(shipped / "app" / "VersionInfo.txt", kSevenBytes);
    const fs::path data = DataFolder();
    // Missing parent folders, a read-only file to overwrite and a file the copy leaves alone.
    WriteBytes(data / "app" / "language" / "English.ini", "stale");
    SetReadOnly(data / "app" / "language" / "English.ini", true);
    WriteBytes(data / "extra.txt", "not shipped");

    EXPECT_TRUE(launcher::CopyAppFolder(shipped));

    EXPECT_EQ(ReadBytes(data / "app" / "language" / "English.ini"), "[Fields]\r\n");
    EXPECT_EQ(ReadBytes(data / "app" / "VersionInfo.txt"), kSevenBytes);
    EXPECT_EQ(ReadBytes(data / "service" / "readme.txt"), "service files");
    EXPECT_EQ(ReadBytes(ProgramIn(data / "app", launcher::kMainProgram)),
              ReadBytes(ProgramIn(shipped / "app", launcher::kMainProgram)));
    EXPECT_EQ(ReadBytes(data / "extra.txt"), "not shipped");
    SetReadOnly(data / "app" / "language" / "English.ini", false);

    // Into a fresh data root whose "ZEMO VEVUV SSD" folder does not exist yet.
    UseFreshDataRoot();
    EXPECT_TRUE(launcher::CopyAppFolder(shipped));
    EXPECT_EQ(ReadBytes(DataFolder() / "service" / "readme.txt"), "service files");
}

TEST_F(CopyAppFolderTest, DataFolderInsideTheShippedFolderIsNotCopiedIntoItself) {
#ifdef _WIN32
    GTEST_SKIP() << "the Windows shell handles a target inside its source by itself";
#endif
    // "C:\ProgramData" below the launcher's own folder.
    const fs::path shipped = MakeShippedFolder();
    platform::SetEnv("KELMORA_DATA_ROOT", platform::PathToUtf8(shipped / "ProgramData"));
    fs::create_directories(DataFolder());
    launcher::CopyAppFolder(shipped);
    EXPECT_TRUE(fs::exists(DataFolder() / "app" / "language" / "English.ini"));
    EXPECT_FALSE(fs::exists(DataFolder() / "ProgramData"));
}

using CompanionStandInTest = LauncherFixture;

TEST_F(CompanionStandInTest, RegistersItselfAndRunsUntilStopped) {
    const fs::path program = BuiltProgram(L"KelmoraFpSSDServer.exe");
    if (!fs::exists(program))
        GTEST_SKIP() << "the companion stand-in KelmoraFpSSDServer was not built";
    auto run = [&](std::vector<std::wstring> args) {
        const uint32_t id = platform::StartProcess(program, args);
        return id ? WaitForExit(id) : std::nullopt;
    };
    EXPECT_EQ(run({L"install"}), 0);
    EXPECT_TRUE(platform::IsServiceRegistered(L"KelmoraFpSSDServer"));
    EXPECT_EQ(run({L"install"}), 0) << "registering twice is no error";
    EXPECT_EQ(run({L"uninstall"}), 0);
    EXPECT_FALSE(platform::IsServiceRegistered(L"KelmoraFpSSDServer"));
    EXPECT_EQ(run({L"uninstall"}), 1);
    EXPECT_EQ(run({L"bogus"}), 2);

    const uint32_t id = StartStandInService(launcher::kServiceProcess);
    ASSERT_NE(id, 0u);
    EXPECT_FALSE(platform::WaitProcessExit(id, 20000).has_value()) << "it should keep running";
    EXPECT_TRUE(IsRunning(id));
}

TEST(PlatformProcessTest, StartingAMissingProgramFails) {
    const fs::path missing = testing_env::MakeTempDir("missing") / "absent.exe";
    EXPECT_EQ(platform::StartProcess(missing), 0u);
    EXPECT_FALSE(platform::ShellOpen(missing));
    EXPECT_EQ(platform::TerminateProcessById(0, 0), platform::TerminateResult::CannotOpen);
}

} // namespace
} // namespace launcher_test
