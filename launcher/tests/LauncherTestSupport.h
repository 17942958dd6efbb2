#pragma once
// Shared by the launcher's tests: a fresh data root per test, a fast clock, recorded message
// boxes, shipped folders and stand-in processes that are ended when the test ends.
#include "Launcher.h"
#include "TestEnvironment.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Shell.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace launcher_test {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A plain recursive copy for setting up installed folders (the launcher's own copy is what
// the tests examine).
inline void CopyTree(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory())
            fs::create_directories(target);
        else
            fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
    }
}

inline void SetReadOnly(const fs::path& file, bool readOnly) {
    constexpr auto write =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(file, readOnly ? fs::perms::owner_write : write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

// True when the file can still be opened for writing (a read-only mark does not stop root).
inline bool IsWritable(const fs::path& file) {
    return static_cast<bool>(std::ofstream(file, std::ios::binary | std::ios::app));
}

// A built program of the Windows name `windowsName` beside the test executable.
inline fs::path BuiltProgram(std::wstring_view windowsName) {
    return platform::ExecutableDir() / platform::NativeProgramName(windowsName);
}

inline fs::path ProgramIn(const fs::path& folder, std::wstring_view windowsName) {
    return folder / platform::NativeProgramName(windowsName);
}

// Polls `done` for up to `seconds` of real time (external processes run at their own pace).
template <class Done> bool WaitUntil(Done done, int seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Waits in real time for a started process to end; its exit code, empty after `seconds`.
inline std::optional<int> WaitForExit(uint32_t id, int seconds = 30) {
    std::optional<int> code;
    WaitUntil([&] { return (code = platform::WaitProcessExit(id, 10)).has_value(); }, seconds);
    return code;
}

// The stand-in main program notes the folder it was started from in "started.txt" of its
// current folder; both must be the data folder's "app". Waits until it has ended, so that its
// file is free again.
inline void ExpectMainProgramStartedFromDataFolder(const fs::path& dataFolder) {
    const fs::path marker = dataFolder / "app" / "started.txt";
    ASSERT_TRUE(WaitUntil([&] { return !ReadBytes(marker).empty(); })) << "not started";
    EXPECT_TRUE(fs::equivalent(platform::Utf8ToPath(ReadBytes(marker)), dataFolder / "app"));
    EXPECT_TRUE(WaitUntil([] { return !launcher::IsProcessRunning(launcher::kMainProgram); }));
}

struct MessageBoxCall {
    std::wstring text;
    std::wstring caption;
};

class LauncherFixture : public ::testing::Test {
protected:
    void SetUp() override {
        savedRoot_ = platform::GetEnv("KELMORA_DATA_ROOT").value_or("");
        savedCwd_ = fs::current_path();
        UseFreshDataRoot();
        // The launcher's 2 s waits take 20 ms.
        platform::SetClock(std::make_shared<platform::FastClock>(100));
        platform::SetMessageBoxHook([this](std::wstring_view text, std::wstring_view caption) {
            boxes_.push_back({std::wstring(text), std::wstring(caption)});
        });
    }

    void TearDown() override {
        StopStartedProcesses();
        platform::SetMessageBoxHook(nullptr);
        platform::SetClock(nullptr);
        fs::current_path(savedCwd_);
        platform::SetEnv("KELMORA_DATA_ROOT", savedRoot_);
    }

    void StopStartedProcesses() {
        for (uint32_t id : started_) {
            platform::TerminateProcessById(id, 1);
            WaitForExit(id, 10);
        }
        started_.clear();
    }

    // Points "C:\ProgramData" at a new, empty folder; processes started afterwards share it.
    void UseFreshDataRoot() {
        root_ = testing_env::MakeTempDir("root");
        platform::SetEnv("KELMORA_DATA_ROOT", platform::PathToUtf8(root_));
    }

    static fs::path DataFolder() { return platform::MapProgramDataPath(launcher::kDataFolder); }
    static fs::path OldFolder() { return platform::MapProgramDataPath(launcher::kOldFolder); }

    // A shipped folder as the launcher finds it beside itself: "app" with the main program and
    // a nested language folder, and "service" with the companion service.
    static fs::path MakeShippedFolder() {
        const fs::path shipped = testing_env::MakeTempDir("shipped");
        fs::create_directories(shipped / "app" / "language");
        fs::create_directories(shipped / "service");
        fs::copy_file(BuiltProgram(L"launcher_standin_main.exe"),
                      ProgramIn(shipped / "app", launcher::kMainProgram));
        WriteBytes(shipped / "app" / "language" / "English.ini", "[Fields]\r\n");
        WriteBytes(shipped / "service" / "readme.txt", "service files");
        return shipped;
    }

    // Starts a copy of the companion stand-in under the executable name `windowsName`, from
    // `folder` (a scratch folder when empty), and waits until the process list shows it.
    uint32_t StartStandInService(std::wstring_view windowsName, fs::path folder = {}) {
        const fs::path source = BuiltProgram(L"KelmoraFpSSDServer.exe");
        if (!fs::exists(source))
            return 0;
        if (folder.empty())
            folder = testing_env::MakeTempDir("service");
        fs::create_directories(folder);
        const fs::path program = ProgramIn(folder, windowsName);
        fs::copy_file(source, program, fs::copy_options::overwrite_existing);
        const uint32_t id = platform::StartProcess(program);
        if (id == 0)
            return 0;
        started_.push_back(id);
        const std::wstring name = platform::NativeProgramName(windowsName);
        WaitUntil([&] {
            const auto list = platform::ListProcesses();
            return list && std::any_of(list->begin(), list->end(), [&](const auto& p) {
                       return p.id == id && p.exeName == name;
                   });
        });
        return id;
    }

    static bool IsRunning(uint32_t id) {
        const auto list = platform::ListProcesses();
        return list &&
               std::any_of(list->begin(), list->end(), [&](const auto& p) { return p.id == id; });
    }

    fs::path root_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<uint32_t> started_;

private:
    std::string savedRoot_;
    fs::path savedCwd_;
};

} // namespace launcher_test
