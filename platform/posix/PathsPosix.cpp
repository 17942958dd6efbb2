#include "platform/Paths.h"

#include <cstdlib>
#include <system_error>

namespace platform {

std::filesystem::path ExecutableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

std::filesystem::path ProgramDataRoot() {
    if (const char* root = std::getenv("KELMORA_DATA_ROOT"); root && *root)
        return root;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "kelmora" / "ProgramData";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "kelmora" /
           "ProgramData";
}

} // namespace platform
