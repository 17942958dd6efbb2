#pragma once
// Processes: the list of running programs, ending one, the own token's privileges, and
// starting a program without waiting for it.
//
// On POSIX systems the data root (Paths.h) stands for the machine: only processes that run
// with the same KELMORA_DATA_ROOT as this one (or, like this one, without it) are listed, so
// that programs of another data root, such as a second test run, stay out of reach.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProcessEntry {
    uint32_t id = 0;
    // The executable's file name without its folder ("KelmoraFp.exe" on Windows).
    std::wstring exeName;
};

// A snapshot of the running processes (Windows: the tool-help snapshot; POSIX: /proc without
// zombies). Empty when no snapshot can be taken.
std::optional<std::vector<ProcessEntry>> ListProcesses();

// The file name that the program called `windowsName` ("KelmoraFp.exe") has on this system:
// unchanged on Windows, without its ".exe" on POSIX systems.
std::wstring NativeProgramName(std::wstring_view windowsName);

// The full path of the running executable.
std::filesystem::path OwnExecutablePath();

enum class TerminateResult {
    CannotOpen, // no such process, or no right to end it
    Failed,     // opened, but the system refused to end it
    Terminated, // ended at once, without a chance to clean up
};
// Windows: opens the process with terminate, create-thread, memory operation, memory write
// and query rights and terminates it with `exitCode`. POSIX: SIGKILL (`exitCode` unused).
TerminateResult TerminateProcessById(uint32_t id, uint32_t exitCode);

// Enables a privilege ("SeDebugPrivilege") in the own process token; true when the system
// reported no error. POSIX systems have no such switch: always true.
bool EnableProcessPrivilege(std::wstring_view privilegeName);

// Starts `program` with `args` in `workDir` (empty: the current folder) and returns at once.
// Its process id, or 0 when it could not be started. Only processes started this way can be
// waited for.
uint32_t StartProcess(const std::filesystem::path& program,
                      const std::vector<std::wstring>& args = {},
                      const std::filesystem::path& workDir = {});

// Waits up to `timeoutMs` of the clock (Clock.h) for a process from StartProcess to end and
// returns its exit code (128 + signal number for a POSIX process ended by a signal); empty
// while it still runs.
std::optional<int> WaitProcessExit(uint32_t id, uint32_t timeoutMs);

} // namespace platform
