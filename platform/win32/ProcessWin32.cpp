// Processes on Windows: tool-help snapshots, OpenProcess/TerminateProcess, token privileges.
#include "platform/Clock.h"
#include "platform/Process.h"

#include <map>
#include <mutex>
#include <windows.h>

// After windows.h, which they rely on.
#include <shellapi.h>
#include <tlhelp32.h>

namespace platform {
namespace {

// The rights the process is opened with before it is terminated: terminate (0x1), create
// thread (0x2), memory operation (0x8), memory write (0x20), query information (0x400).
constexpr DWORD kTerminateAccess = 0x42B;
// CreateProcess refuses programs whose manifest asks for administrator rights with this error
// (missing from MinGW's headers).
constexpr DWORD kErrorElevationRequired = 740;

// Handles of the processes StartProcess started, kept until they have been waited for, so that
// their exit codes stay readable.
std::mutex startedMutex;
std::map<uint32_t, HANDLE> startedProcesses;

// One command-line word, quoted so that the C runtime's parser gives it back unchanged.
void AppendQuoted(std::wstring& line, std::wstring_view word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
        line += word;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            line.append(backslashes * 2 + 1, L'\\');
        else
            line.append(backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

uint32_t Remember(HANDLE process) {
    const uint32_t id = GetProcessId(process);
    std::lock_guard lock(startedMutex);
    if (auto old = startedProcesses.find(id); old != startedProcesses.end())
        CloseHandle(old->second);
    startedProcesses[id] = process;
    return id;
}

} // namespace

std::optional<std::vector<ProcessEntry>> ListProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<ProcessEntry> list;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        list.push_back({entry.th32ProcessID, entry.szExeFile});
    CloseHandle(snapshot);
    return list;
}

std::wstring NativeProgramName(std::wstring_view windowsName) {
    return std::wstring(windowsName);
}

std::filesystem::path OwnExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

TerminateResult TerminateProcessById(uint32_t id, uint32_t exitCode) {
    HANDLE process = OpenProcess(kTerminateAccess, FALSE, id);
    if (!process)
        return TerminateResult::CannotOpen;
    const BOOL ended = TerminateProcess(process, exitCode);
    CloseHandle(process);
    return ended ? TerminateResult::Terminated : TerminateResult::Failed;
}

bool EnableProcessPrivilege(std::wstring_view privilegeName) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    const std::wstring name(privilegeName);
    bool enabled = false;
    if (LookupPrivilegeValueW(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
        // Succeeds with ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege.
        enabled =
            AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr) &&
            GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return enabled;
}

uint32_t StartProcess(const std::filesystem::path& program, const std::vector<std::wstring>& args,
                      const std::filesystem::path& workDir) {
    std::wstring line;
    AppendQuoted(line, program.wstring());
    for (const auto& arg : args) {
        line += L' ';
        AppendQuoted(line, arg);
    }
    const std::wstring dir = workDir.wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        return Remember(info.hProcess);
    }
    if (GetLastError() != kErrorElevationRequired)
        return 0;
    // A program whose manifest asks for administrator rights starts only through the shell.
    std::wstring parameters;
    for (const auto& arg : args) {
        if (!parameters.empty())
            parameters += L' ';
        AppendQuoted(parameters, arg);
    }
    const std::wstring file = program.wstring();
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"open";
    execute.lpFile = file.c_str();
    execute.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    execute.lpDirectory = dir.empty() ? nullptr : dir.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&execute) || !execute.hProcess)
        return 0;
    return Remember(execute.hProcess);
}

std::optional<int> WaitProcessExit(uint32_t id, uint32_t timeoutMs) {
    HANDLE process = nullptr;
    bool started = false;
    {
        std::lock_guard lock(startedMutex);
        if (auto it = startedProcesses.find(id); it != startedProcesses.end()) {
            process = it->second;
            started = true;
        }
    }
    if (!process)
        process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return -1;
    const uint64_t deadline = NowMs() + timeoutMs;
    std::optional<int> result;
    for (;;) {
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            DWORD code = 0;
            result = GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
            break;
        }
        if (NowMs() >= deadline)
            break;
        SleepMs(5);
    }
    if (!started) {
        CloseHandle(process);
    } else if (result) {
        std::lock_guard lock(startedMutex);
        startedProcesses.erase(id);
        CloseHandle(process);
    }
    return result;
}

} // namespace platform
