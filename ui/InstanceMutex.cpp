#include "ui/InstanceMutex.h"

#include "platform/Environment.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

InstanceMutex::InstanceMutex(std::wstring name, std::filesystem::path folder)
    : name_(std::move(name)), folder_(std::move(folder)) {}

#ifdef _WIN32

InstanceMutex::~InstanceMutex() {
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

InstanceMutex::Result InstanceMutex::Create() {
    HANDLE h = CreateMutexW(nullptr, FALSE, name_.c_str());
    if (!h)
        return Result::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return Result::AlreadyExists;
    }
    handle_ = reinterpret_cast<intptr_t>(h);
    return Result::Created;
}

std::filesystem::path InstanceMutex::RuntimeFolder() {
    return {};
}

#else

InstanceMutex::~InstanceMutex() {
    if (handle_ != -1)
        close(static_cast<int>(handle_)); // closing releases the lock
}

InstanceMutex::Result InstanceMutex::Create() {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const auto path = folder_ / (name_ + L".lock");
    const int fd = open(platform::PathToUtf8(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return Result::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Result::AlreadyExists : Result::Failed;
    }
    handle_ = fd;
    return Result::Created;
}

std::filesystem::path InstanceMutex::RuntimeFolder() {
    if (auto runtime = platform::GetEnv("XDG_RUNTIME_DIR"); runtime && !runtime->empty())
        return platform::Utf8ToPath(*runtime);
    return std::filesystem::temp_directory_path() / ("kelmora-" + std::to_string(getuid()));
}

#endif
