#include "../SystemAccess.h"

#include <windows.h>

#include <cstring>

namespace sim {

FileLock::FileLock(const std::filesystem::path& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    handle_ = reinterpret_cast<intptr_t>(h);
    // Byte-range locks belong to the handle, so they also separate threads of one process.
    // Some implementations answer a contended lock with a violation instead of waiting: retry.
    for (int attempt = 0; attempt < 30000 && !held_; ++attempt) {
        OVERLAPPED at = {};
        held_ = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
        if (!held_)
            Sleep(1);
    }
}

FileLock::~FileLock() {
    if (handle_ != -1) {
        HANDLE h = reinterpret_cast<HANDLE>(handle_);
        if (held_) {
            OVERLAPPED at = {};
            UnlockFileEx(h, 0, 1, 0, &at);
        }
        CloseHandle(h);
    }
}

namespace {
std::optional<std::wstring> EnvWide(const char* name) {
    std::wstring wname(name, name + strlen(name));
    DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
    value.resize(n);
    if (value.empty())
        return std::nullopt;
    return value;
}
} // namespace

std::optional<std::string> EnvText(const char* name) {
    // The process environment itself (not a C runtime's copy), so that a value the program set
    // after this library was loaded is seen.
    auto value = EnvWide(name);
    if (!value)
        return std::nullopt;
    int n = WideCharToMultiByte(CP_UTF8, 0, value->c_str(), int(value->size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, value->c_str(), int(value->size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::optional<std::filesystem::path> EnvPath(const char* name) {
    auto value = EnvWide(name);
    if (!value)
        return std::nullopt;
    return std::filesystem::path(*value);
}

void SetEnvText(const char* name, const std::string& value) {
    std::wstring wname(name, name + strlen(name));
    int n = MultiByteToWideChar(CP_UTF8, 0, value.c_str(), int(value.size()), nullptr, 0);
    std::wstring wvalue(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, value.c_str(), int(value.size()), wvalue.data(), n);
    SetEnvironmentVariableW(wname.c_str(), wvalue.c_str());
}

std::filesystem::path DefaultSimDir() {
    if (auto local = EnvPath("LOCALAPPDATA"))
        return *local / "Kelmora" / "sim";
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::filesystem::path(temp) / "Kelmora" / "sim";
}

bool ReplaceWholeFile(const std::filesystem::path& source, const std::filesystem::path& target) {
    // A reader that has just closed the target may still keep it from being replaced for a
    // moment (seen under Wine): retry, then copy over it, which readers allow.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        Sleep(1);
    }
    if (!CopyFileW(source.c_str(), target.c_str(), FALSE))
        return false;
    DeleteFileW(source.c_str());
    return true;
}

} // namespace sim
