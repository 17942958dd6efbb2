#pragma once
// Zavuvida: makes sure the data folder holds the copy of the main program that shipped with
// the launcher, then starts the main program from there. Single-threaded; keeps no state
// between runs except the version files.
//
// Every routine takes the Windows paths of the shipped product; on other systems they map
// through the platform layer (data root, program names without ".exe").
#include <filesystem>
#include <string_view>

namespace launcher {

// The version this launcher ships, written with its terminating zero into "app\VersionInfo.txt".
inline constexpr char kVersionText[] = "V1.2.1";
inline constexpr wchar_t kDataFolder[] = L"C:\\ProgramData\\ZEMO VEVUV SSD\\Kelmora";
inline constexpr wchar_t kOldFolder[] = L"C:\\ProgramData\\KelmoraApps";
inline constexpr wchar_t kServiceName[] = L"KelmoraFpSSDServer";
inline constexpr wchar_t kServiceProcess[] = L"KelmoraFpSSDServer.exe";
inline constexpr wchar_t kOldServiceName[] = L"KelmoraSSD";
inline constexpr wchar_t kOldServiceProcess[] = L"DerEdedod.exe";
inline constexpr wchar_t kMainProgram[] = L"KelmoraFp.exe";
// "Uninstalling the service failed", shown with the service name as caption.
inline constexpr wchar_t kUninstallFailedText[] = L"\u5378\u8f7d\u670d\u52a1\u5931\u8d25";

// The folder the launcher runs from (the shipped folder).
std::filesystem::path LauncherFolder();

// The whole run: version file, decision, optional removal and copy, start. Returns 0.
int RunLauncher(const std::filesystem::path& launcherFolder = LauncherFolder());

// Writes the version text and its zero byte into "app\VersionInfo.txt" of the launcher's
// folder; silently does nothing when that file cannot be written.
void WriteOwnVersionFile(const std::filesystem::path& launcherFolder = LauncherFolder());

// The bytes read from an installed version file (at most 32) name the current version: at
// least one byte, and the text up to the first zero byte is exactly the version text.
bool IsCurrentVersion(std::string_view bytesRead);

// Reads the installed version file of the data folder; false when it is missing or unreadable.
bool IsInstalledCopyCurrent();

// Stops the old and the current companion service, unregisters them and deletes their folders.
// Stops early, after a message box, when a stopped service cannot be unregistered.
void RemoveOldInstallation(std::wstring_view serviceName);

// Copies everything in the launcher's folder into the data folder through the shell; true
// when the shell reported success.
bool CopyAppFolder(const std::filesystem::path& launcherFolder = LauncherFolder());

// True when a process of exactly that executable name (letter case included) runs.
bool IsProcessRunning(std::wstring_view exeName);

// Terminates the first process of exactly that name; true when one was found and terminated.
bool KillProcessByName(std::wstring_view exeName);

bool EnableDebugPrivilege();

// True when the service could be opened and its deletion was requested.
bool DeleteServiceByName(std::wstring_view serviceName);

// Deletes the folder's files and subfolders and then the folder; entries that cannot be
// deleted (read-only or open files) stay, and so do the folders holding them. Links to
// folders are removed, never followed. False when the folder cannot be listed.
bool DeleteFolderTree(const std::filesystem::path& folder);

} // namespace launcher
