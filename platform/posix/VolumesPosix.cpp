#include "platform/Volumes.h"

#include <cstdlib>
#include <fstream>
#include <sys/statvfs.h>

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path MountTable() {
    if (const char* dir = std::getenv("KELMORA_SIM_DIR"); dir && *dir)
        return fs::path(dir) / "volumes";
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return fs::path(xdg) / "kelmora" / "sim" / "volumes";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "kelmora" / "sim" /
           "volumes";
}

struct Entry {
    fs::path root;
    unsigned type = kDriveFixed;
    std::optional<uint64_t> size, free;
    std::string text; // the whole entry: its identity
};

std::optional<uint64_t> Number(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    try {
        return std::stoull(text);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<Entry> ReadEntry(char letter) {
    if (!letter)
        return std::nullopt;
    std::ifstream in(MountTable() / (std::string(1, letter) + ".vol"));
    if (!in)
        return std::nullopt;
    Entry e;
    std::string line;
    while (std::getline(in, line)) {
        e.text += line + "\n";
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "root")
            e.root = fs::path(value);
        else if (key == "type")
            e.type = unsigned(Number(value).value_or(kDriveFixed));
        else if (key == "size")
            e.size = Number(value);
        else if (key == "free")
            e.free = Number(value);
    }
    if (e.root.empty())
        return std::nullopt;
    return e;
}

} // namespace

std::optional<fs::path> VolumeRoot(std::string_view letter) {
    auto e = ReadEntry(DriveLetterOf(letter));
    if (!e)
        return std::nullopt;
    return e->root;
}

unsigned DriveType(std::string_view root) {
    auto e = ReadEntry(DriveLetterOf(root));
    return e ? e->type : kDriveNoRootDir;
}

bool QueryDiskSpace(std::string_view path, DiskSpace& out) {
    auto e = ReadEntry(DriveLetterOf(path));
    if (!e)
        return false;
    DiskSpace space;
    if (!e->size || !e->free) {
        struct statvfs st {};
        if (statvfs(e->root.c_str(), &st) != 0)
            return false;
        space.totalBytes = uint64_t(st.f_blocks) * st.f_frsize;
        space.freeBytes = uint64_t(st.f_bavail) * st.f_frsize;
    }
    if (e->size)
        space.totalBytes = *e->size;
    if (e->free)
        space.freeBytes = *e->free;
    out = space;
    return true;
}

std::map<char, std::string> PresentVolumes() {
    std::map<char, std::string> out;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(MountTable(), ec)) {
        const fs::path& p = item.path();
        std::string stem = p.stem().string();
        if (p.extension() != ".vol" || stem.size() != 1 || !DriveLetterOf(stem))
            continue;
        char letter = DriveLetterOf(stem);
        if (auto e = ReadEntry(letter))
            out[letter] = "type=" + std::to_string(e->type) + ";root=" + e->root.string();
    }
    return out;
}

} // namespace platform
