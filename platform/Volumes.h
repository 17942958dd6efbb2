#pragma once
// Volumes by drive letter: where a letter's files are, its disk space and its drive type, and
// the set of volumes present (for the arrival and removal watcher, DeviceWatch.h).
//
// Windows: the system's own drive letters. POSIX systems have none; there a mount table gives
// them: the folder "volumes" in $KELMORA_SIM_DIR (default $XDG_DATA_HOME/kelmora/sim, i.e.
// ~/.local/share/kelmora/sim), one file "<LETTER>.vol" per volume with the lines "root=<folder>",
// "type=<drive type>", "size=<bytes>", "free=<bytes>" and "label=<text>". The simulated drive
// (bridge/) keeps that table; size and free fall back to the root folder's file system.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Drive types as GetDriveType reports them.
inline constexpr unsigned kDriveUnknown = 0;
inline constexpr unsigned kDriveNoRootDir = 1;
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr unsigned kDriveFixed = 3;
inline constexpr unsigned kDriveRemote = 4;
inline constexpr unsigned kDriveCdrom = 5;
inline constexpr unsigned kDriveRamdisk = 6;

// The drive letter a text names: its first character, upper-cased, when it is a letter A..Z
// ("e", "E:", "E:\\", "EF" all give 'E'); 0 otherwise.
char DriveLetterOf(std::string_view text);

// The folder where the volume of this drive letter has its files; none without such a volume.
std::optional<std::filesystem::path> VolumeRoot(std::string_view letter);

// The drive type of a root such as "E:\\" (kDriveNoRootDir when no such volume exists).
unsigned DriveType(std::string_view root);

struct DiskSpace {
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
};
// Disk space of the volume a path such as "E:" names; false when it cannot be read.
bool QueryDiskSpace(std::string_view path, DiskSpace& out);

// Every volume present now: drive letter -> a text that changes when another volume takes the
// letter (kind, identity), so that a quick swap still reads as a removal and an arrival.
std::map<char, std::string> PresentVolumes();

} // namespace platform
