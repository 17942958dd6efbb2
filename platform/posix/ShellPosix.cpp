// The shell's open and the message box on POSIX systems (see Shell.h).
#include "platform/Shell.h"
#include "platform/TextCodec.h"
#include "platform/common/SystemMessageBox.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

bool ShellOpen(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::absolute(file, ec);
    struct stat st;
    if (ec || stat(program.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        access(program.c_str(), X_OK) != 0)
        return false;
    const std::string path = program.string();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};

    // Double fork: the program gets its own session and is nobody's child here, so it outlives
    // the caller and leaves no zombie. The grandchild reports a failed exec through the pipe.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0)
        return false;
    pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 1 : 0);
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
            if (null > 2)
                close(null);
        }
        execv(argv[0], argv);
        int error = errno;
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do
        n = read(report[0], &error, sizeof error);
    while (n < 0 && errno == EINTR);
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

namespace detail {

void ShowSystemMessageBox(std::wstring_view text, std::wstring_view caption) {
    std::fprintf(stderr, "%s: %s\n", WideToUtf8(caption).c_str(), WideToUtf8(text).c_str());
}

} // namespace detail
} // namespace platform
