// Processes on POSIX systems: /proc for the list, signals for termination, fork and exec.
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BaseName(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The data root a process was started with ("" when it has none, or its environment is not
// readable: such processes count as belonging to the default root).
std::string DataRootOf(const std::string& procDir) {
    static constexpr std::string_view kKey = "KELMORA_DATA_ROOT=";
    const std::string environ = ReadWholeFile(procDir + "/environ");
    size_t start = 0;
    while (start < environ.size()) {
        size_t end = environ.find('\0', start);
        if (end == std::string::npos)
            end = environ.size();
        std::string_view entry(environ.data() + start, end - start);
        if (entry.substr(0, kKey.size()) == kKey)
            return std::string(entry.substr(kKey.size()));
        start = end + 1;
    }
    return {};
}

// The executable's file name: the target of "exe" (readable for the own user's processes),
// else the first command-line word, else the kernel's short name.
std::string ExecutableNameOf(const std::string& procDir, const std::string& stat) {
    char target[4096];
    ssize_t n = readlink((procDir + "/exe").c_str(), target, sizeof target - 1);
    if (n > 0) {
        std::string path(target, static_cast<size_t>(n));
        static constexpr std::string_view kDeleted = " (deleted)";
        if (path.size() > kDeleted.size() &&
            path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
            path.resize(path.size() - kDeleted.size());
        return BaseName(path);
    }
    const std::string cmdline = ReadWholeFile(procDir + "/cmdline");
    if (!cmdline.empty() && cmdline[0] != '\0')
        return BaseName(cmdline.c_str());
    size_t open = stat.find('('), close = stat.rfind(')');
    if (open != std::string::npos && close != std::string::npos && close > open)
        return stat.substr(open + 1, close - open - 1);
    return {};
}

} // namespace

std::optional<std::vector<ProcessEntry>> ListProcesses() {
    DIR* proc = opendir("/proc");
    if (!proc)
        return std::nullopt;
    const char* ownRoot = std::getenv("KELMORA_DATA_ROOT");
    const std::string ownDataRoot = ownRoot ? ownRoot : "";

    std::vector<ProcessEntry> list;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (pid == 0 || *end != '\0')
            continue;
        const std::string dir = std::string("/proc/") + entry->d_name;
        const std::string stat = ReadWholeFile(dir + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size())
            continue; // gone meanwhile
        const char state = stat[close + 2];
        if (state == 'Z' || state == 'X')
            continue; // ended, only waiting to be reaped
        if (DataRootOf(dir) != ownDataRoot)
            continue;
        list.push_back({static_cast<uint32_t>(pid), Utf8ToWide(ExecutableNameOf(dir, stat))});
    }
    closedir(proc);
    return list;
}

std::wstring NativeProgramName(std::wstring_view windowsName) {
    static constexpr std::wstring_view kSuffix = L".exe";
    if (windowsName.size() > kSuffix.size() &&
        windowsName.substr(windowsName.size() - kSuffix.size()) == kSuffix)
        windowsName.remove_suffix(kSuffix.size());
    return std::wstring(windowsName);
}

std::filesystem::path OwnExecutablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec);
}

TerminateResult TerminateProcessById(uint32_t id, uint32_t /*exitCode*/) {
    if (id == 0)
        return TerminateResult::CannotOpen;
    return kill(static_cast<pid_t>(id), SIGKILL) == 0 ? TerminateResult::Terminated
                                                      : TerminateResult::CannotOpen;
}

bool EnableProcessPrivilege(std::wstring_view /*privilegeName*/) {
    return true;
}

uint32_t StartProcess(const std::filesystem::path& program, const std::vector<std::wstring>& args,
                      const std::filesystem::path& workDir) {
    // Everything the child needs is prepared before fork: after it, only exec-safe calls.
    std::vector<std::string> words{program.string()};
    for (const auto& arg : args)
        words.push_back(WideToUtf8(arg));
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string dir = workDir.string();

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return 0;
    pid_t pid = fork();
    if (pid < 0) {
        close(report[0]);
        close(report[1]);
        return 0;
    }
    if (pid == 0) {
        close(report[0]);
        if (dir.empty() || chdir(dir.c_str()) == 0)
            execv(argv[0], argv.data());
        int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t n;
    do
        n = read(report[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n > 0) { // exec failed: the report pipe carried its error
        waitpid(pid, nullptr, 0);
        return 0;
    }
    return static_cast<uint32_t>(pid);
}

std::optional<int> WaitProcessExit(uint32_t id, uint32_t timeoutMs) {
    const uint64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        int status = 0;
        pid_t done = waitpid(static_cast<pid_t>(id), &status, WNOHANG);
        if (done == static_cast<pid_t>(id)) {
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        }
        if (done < 0 && errno != EINTR)
            return -1; // not a child of this process
        if (NowMs() >= deadline)
            return std::nullopt;
        SleepMs(5);
    }
}

} // namespace platform
