#pragma once
// Folder listing, deletion and the shell's folder copy, with Windows semantics on every
// system: a read-only file is not deleted, a folder only when it is empty, and a link to a
// folder is removed as the link, never through it.
#include <filesystem>
#include <optional>
#include <vector>

namespace platform {

struct FolderEntry {
    std::filesystem::path name; // without its folder
    bool isFolder = false;      // a folder, or a link to one
    bool isLink = false;        // a symbolic link, junction or other reparse point
};

// The entries of a folder without "." and ".."; empty when it cannot be listed.
std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder);

// Deletes one file (or a link to a file). Fails for read-only files (on POSIX systems: no
// write permission for the owner), as Windows does.
bool RemoveFile(const std::filesystem::path& file);

// Removes an empty folder, or a link to a folder without touching its target.
bool RemoveFolder(const std::filesystem::path& folder);

// Copies everything inside `sourceFolder` (files, and folders with their contents) into
// `targetFolder`, creating missing folders and overwriting existing files, read-only ones
// included, without asking. Windows: the shell's copy of "source\*.*" (FO_COPY, flags 0x250:
// no confirmation, allow undo, no confirmation for new folders), which shows its own progress
// and error dialogs. POSIX: a recursive copy that goes on after a failed entry and never copies
// the target into itself. True when the whole copy succeeded.
bool ShellCopyFolderContents(const std::filesystem::path& sourceFolder,
                             const std::filesystem::path& targetFolder);

} // namespace platform
