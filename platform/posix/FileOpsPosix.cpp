// Folder listing, deletion and copy on POSIX systems, answering as Windows does (FileOps.h).
#include "platform/FileOps.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

// True when `inner` is `outer` or lies below it.
bool IsSameOrInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    for (fs::path p = fs::weakly_canonical(inner, ec); !ec && !p.empty(); p = p.parent_path()) {
        if (fs::equivalent(p, outer, ec))
            return true;
        if (p == p.parent_path())
            break;
    }
    return false;
}

bool CopyFileOver(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec))
        return true;
    // A read-only or otherwise unwritable target: replace it, as the shell does when told not
    // to ask.
    struct stat st;
    if (lstat(to.c_str(), &st) != 0 || S_ISDIR(st.st_mode) || unlink(to.c_str()) != 0)
        return false;
    return fs::copy_file(from, to, ec);
}

bool CopyTree(const fs::path& source, const fs::path& target, const fs::path& finalTarget) {
    std::error_code ec;
    fs::create_directories(target, ec);
    if (!fs::is_directory(target, ec))
        return false;
    const auto entries = ListFolder(source);
    if (!entries)
        return false;
    bool ok = true;
    for (const auto& entry : *entries) {
        const fs::path from = source / entry.name;
        const fs::path to = target / entry.name;
        if (entry.isLink) {
            fs::remove(to, ec); // an old entry of that name would block the link
            fs::copy_symlink(from, to, ec);
            ok = ok && !ec;
        } else if (entry.isFolder) {
            if (IsSameOrInside(finalTarget, from))
                continue; // never copy the target (or a folder holding it) into itself
            ok = CopyTree(from, to, finalTarget) && ok;
        } else {
            ok = CopyFileOver(from, to) && ok;
        }
    }
    return ok;
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const fs::path& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    std::vector<FolderEntry> entries;
    while (dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        const fs::path full = folder / name;
        struct stat st;
        if (lstat(full.c_str(), &st) != 0)
            continue; // gone meanwhile
        FolderEntry entry{name, S_ISDIR(st.st_mode), S_ISLNK(st.st_mode)};
        struct stat target;
        if (entry.isLink && stat(full.c_str(), &target) == 0)
            entry.isFolder = S_ISDIR(target.st_mode);
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    return entries;
}

bool RemoveFile(const fs::path& file) {
    struct stat st;
    if (lstat(file.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        return false; // read-only
    return unlink(file.c_str()) == 0;
}

bool RemoveFolder(const fs::path& folder) {
    struct stat st;
    if (lstat(folder.c_str(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode))
        return unlink(folder.c_str()) == 0;
    return rmdir(folder.c_str()) == 0;
}

bool ShellCopyFolderContents(const fs::path& sourceFolder, const fs::path& targetFolder) {
    std::error_code ec;
    if (!fs::is_directory(sourceFolder, ec))
        return false;
    return CopyTree(sourceFolder, targetFolder, targetFolder);
}

} // namespace platform
