#pragma once
// The little the simulation needs from the operating system, kept apart per system (posix/,
// win32/) because the stand-in library links nothing of the program's platform layer.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sim {

// An exclusive lock on a file, held across processes and across threads of one process.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return held_; }

private:
    intptr_t handle_ = -1;
    bool held_ = false;
};

// An environment variable of the process (read afresh each time), as a path / text.
std::optional<std::string> EnvText(const char* name);
std::optional<std::filesystem::path> EnvPath(const char* name);

// Sets an environment variable of this process.
void SetEnvText(const char* name, const std::string& value);

// Where the state lives when KELMORA_SIM_DIR is not set.
std::filesystem::path DefaultSimDir();

// Replaces `target` by `source` in one step (readers never see a partial file).
bool ReplaceWholeFile(const std::filesystem::path& source, const std::filesystem::path& target);

} // namespace sim
