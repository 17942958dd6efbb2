#include "platform/Volumes.h"

#include <windows.h>

namespace platform {

namespace {
std::wstring RootOf(char letter) {
    return std::wstring(1, wchar_t(letter)) + L":\\";
}
} // namespace

std::optional<std::filesystem::path> VolumeRoot(std::string_view letter) {
    char c = DriveLetterOf(letter);
    if (!c || !(GetLogicalDrives() & (1u << (c - 'A'))))
        return std::nullopt;
    return std::filesystem::path(RootOf(c));
}

unsigned DriveType(std::string_view root) {
    char c = DriveLetterOf(root);
    if (!c)
        return kDriveNoRootDir;
    return GetDriveTypeW(RootOf(c).c_str());
}

bool QueryDiskSpace(std::string_view path, DiskSpace& out) {
    char c = DriveLetterOf(path);
    if (!c)
        return false;
    ULARGE_INTEGER available, total, free;
    std::wstring name = std::wstring(1, wchar_t(c)) + L":";
    if (!GetDiskFreeSpaceExW(name.c_str(), &available, &total, &free))
        return false;
    out.totalBytes = total.QuadPart;
    out.freeBytes = free.QuadPart;
    return true;
}

std::map<char, std::string> PresentVolumes() {
    std::map<char, std::string> out;
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        char letter = char('A' + i);
        std::wstring root = RootOf(letter);
        UINT type = GetDriveTypeW(root.c_str());
        DWORD serial = 0;
        // Only ask removable and fixed volumes for their serial: an empty floppy or disc drive
        // would otherwise keep the watcher waiting.
        if (type == DRIVE_FIXED || type == DRIVE_REMOVABLE)
            GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0);
        out[letter] = "type=" + std::to_string(type) + ";serial=" + std::to_string(serial);
    }
    return out;
}

} // namespace platform
