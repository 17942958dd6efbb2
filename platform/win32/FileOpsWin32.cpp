// Folder listing, deletion and the shell's folder copy on Windows.
#include "platform/FileOps.h"

#include <string>
#include <windows.h>

// After windows.h, which it relies on.
#include <shellapi.h>

namespace platform {
namespace {

// FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOCONFIRMMKDIR
constexpr FILEOP_FLAGS kCopyFlags = 0x250;

std::wstring WithoutTrailingSeparator(const std::filesystem::path& path) {
    std::wstring text = path.wstring();
    while (text.size() > 3 && (text.back() == L'\\' || text.back() == L'/'))
        text.pop_back();
    return text;
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder) {
    const std::wstring pattern = WithoutTrailingSeparator(folder) + L"\\*.*";
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        entries.push_back({std::filesystem::path(std::wstring(name)),
                           (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

bool RemoveFile(const std::filesystem::path& file) {
    return DeleteFileW(file.c_str()) != 0;
}

bool RemoveFolder(const std::filesystem::path& folder) {
    return RemoveDirectoryW(WithoutTrailingSeparator(folder).c_str()) != 0;
}

bool ShellCopyFolderContents(const std::filesystem::path& sourceFolder,
                             const std::filesystem::path& targetFolder) {
    // Both lists end in two zero characters; the buffers are sized to the paths.
    std::wstring from = WithoutTrailingSeparator(sourceFolder) + L"\\*.*";
    from.append(2, L'\0');
    std::wstring to = WithoutTrailingSeparator(targetFolder);
    to.append(2, L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_COPY;
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    operation.fFlags = kCopyFlags;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
}

} // namespace platform
