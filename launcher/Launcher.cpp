#include "Launcher.h"

#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <system_error>

namespace launcher {
namespace {

namespace fs = std::filesystem;

// Time the terminated service processes get to end before their folders are deleted.
constexpr uint32_t kServiceExitWaitMs = 2000;
// At most this many bytes of the installed version file are read.
constexpr size_t kVersionReadLimit = 32;

fs::path VersionFileBelow(const fs::path& folder) {
    return folder / "app" / "VersionInfo.txt";
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

// True when `inner` is `outer` or lies below it.
bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    if (ec)
        return false;
    const fs::path b = fs::weakly_canonical(outer, ec);
    if (ec)
        return false;
    auto [endOuter, endInner] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
    return endOuter == b.end() || (std::next(endOuter) == b.end() && endOuter->empty());
}

void ReportUninstallFailure() {
    platform::ShowMessageBox(kUninstallFailedText, kServiceName);
}

// Stops one companion service: when a process of its name is terminated, its service is
// unregistered and, after the processes had time to end, its folder deleted. False when the
// service could not be unregistered (reported to the user).
bool StopService(std::wstring_view process, std::wstring_view service, const fs::path& folder) {
    if (!KillProcessByName(process))
        return true;
    if (!DeleteServiceByName(service)) {
        ReportUninstallFailure();
        return false;
    }
    platform::SleepMs(kServiceExitWaitMs);
    DeleteFolderTree(folder);
    return true;
}

} // namespace

fs::path LauncherFolder() {
    return platform::ExecutableDir();
}

int RunLauncher(const fs::path& launcherFolder) {
    WriteOwnVersionFile(launcherFolder);
    const fs::path dataFolder = platform::MapProgramDataPath(kDataFolder);
    // A launcher started from the installed copy itself has nothing to install, and removing
    // the data folder would delete the only copy.
    if (!IsInstalledCopyCurrent() && !IsSameOrInside(launcherFolder, dataFolder)) {
        RemoveOldInstallation(kServiceName);
        CopyAppFolder(launcherFolder);
    }
    const fs::path appFolder = dataFolder / "app";
    std::error_code ec;
    fs::current_path(appFolder, ec);
    // Named by its full path: a missing folder must not start a program of the same name
    // from wherever the launcher happened to run.
    platform::ShellOpen(appFolder / platform::NativeProgramName(kMainProgram));
    return 0;
}

void WriteOwnVersionFile(const fs::path& launcherFolder) {
    std::ofstream out(VersionFileBelow(launcherFolder),
                      std::ios::binary | std::ios::out | std::ios::trunc);
    if (out)
        out.write(kVersionText, sizeof kVersionText); // with its zero byte
}

bool IsCurrentVersion(std::string_view bytesRead) {
    if (bytesRead.empty())
        return false;
    return bytesRead.substr(0, bytesRead.find('\0')) == kVersionText;
}

bool IsInstalledCopyCurrent() {
    std::ifstream in(VersionFileBelow(platform::MapProgramDataPath(kDataFolder)), std::ios::binary);
    if (!in)
        return false;
    std::array<char, kVersionReadLimit + 1> buffer{};
    in.read(buffer.data(), kVersionReadLimit);
    return IsCurrentVersion(std::string_view(buffer.data(), static_cast<size_t>(in.gcount())));
}

void RemoveOldInstallation(std::wstring_view serviceName) {
    const fs::path oldFolder = platform::MapProgramDataPath(kOldFolder);
    const fs::path dataFolder = platform::MapProgramDataPath(kDataFolder);

    if (!StopService(kOldServiceProcess, kOldServiceName, oldFolder))
        return;
    if (Exists(oldFolder))
        DeleteFolderTree(oldFolder);
    if (!StopService(kServiceProcess, serviceName, dataFolder))
        return;
    if (Exists(dataFolder))
        DeleteFolderTree(dataFolder);
}

bool CopyAppFolder(const fs::path& launcherFolder) {
    return platform::ShellCopyFolderContents(launcherFolder,
                                             platform::MapProgramDataPath(kDataFolder));
}

bool IsProcessRunning(std::wstring_view exeName) {
    const std::wstring name = platform::NativeProgramName(exeName);
    const auto processes = platform::ListProcesses();
    if (!processes)
        return false;
    for (const auto& process : *processes)
        if (process.exeName == name)
            return true;
    return false;
}

bool KillProcessByName(std::wstring_view exeName) {
    const std::wstring name = platform::NativeProgramName(exeName);
    const auto processes = platform::ListProcesses();
    if (!processes)
        return false;
    for (const auto& process : *processes) {
        if (process.exeName != name)
            continue;
        EnableDebugPrivilege();
        return platform::TerminateProcessById(process.id, 0) ==
               platform::TerminateResult::Terminated;
    }
    return false;
}

bool EnableDebugPrivilege() {
    return platform::EnableProcessPrivilege(L"SeDebugPrivilege");
}

bool DeleteServiceByName(std::wstring_view serviceName) {
    return platform::RequestServiceDeletion(serviceName) == platform::ServiceDeletion::Requested;
}

bool DeleteFolderTree(const fs::path& folder) {
    const auto entries = platform::ListFolder(folder);
    if (!entries)
        return false;
    for (const auto& entry : *entries) {
        const fs::path path = folder / entry.name;
        if (entry.isFolder && !entry.isLink)
            DeleteFolderTree(path);
        else if (entry.isFolder)
            platform::RemoveFolder(path);
        else
            platform::RemoveFile(path);
    }
    platform::RemoveFolder(folder);
    return true;
}

} // namespace launcher
