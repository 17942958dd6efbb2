#include "../SystemAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sim {

FileLock::FileLock(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    handle_ = fd;
    // flock belongs to the open file description, so it also separates threads of one process.
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return;
    }
    held_ = true;
}

FileLock::~FileLock() {
    if (handle_ >= 0) {
        if (held_)
            ::flock(int(handle_), LOCK_UN);
        ::close(int(handle_));
    }
}

std::optional<std::string> EnvText(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::filesystem::path> EnvPath(const char* name) {
    auto text = EnvText(name);
    if (!text)
        return std::nullopt;
    return std::filesystem::path(*text);
}

void SetEnvText(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

std::filesystem::path DefaultSimDir() {
    if (auto xdg = EnvPath("XDG_DATA_HOME"))
        return *xdg / "kelmora" / "sim";
    auto home = EnvPath("HOME");
    return (home ? *home : std::filesystem::path("/tmp")) / ".local" / "share" / "kelmora" / "sim";
}

bool ReplaceWholeFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    return std::rename(source.c_str(), target.c_str()) == 0;
}

} // namespace sim
