#pragma once
// A named mutex that marks a running instance: the first process to take it holds it until it
// ends, when the system releases it (a crash included). POSIX: an exclusive lock on a file of
// that name in the user's runtime folder; Windows: a named kernel mutex.
#include <filesystem>
#include <string>

class InstanceMutex {
public:
    enum class Result { Created, AlreadyExists, Failed };

    // `folder` holds the lock files on POSIX systems (ignored on Windows).
    InstanceMutex(std::wstring name, std::filesystem::path folder);
    ~InstanceMutex(); // releases it (the program keeps it for its whole run)
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    Result Create();

    // The per-user folder for such files on this system.
    static std::filesystem::path RuntimeFolder();

private:
    std::wstring name_;
    std::filesystem::path folder_;
    intptr_t handle_ = -1;
};
