#include "SimStore.h"

#include "SystemAccess.h"

#include <chrono>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

namespace sim {

namespace fs = std::filesystem;

fs::path SimDir() {
    if (auto dir = EnvPath("KELMORA_SIM_DIR"))
        return *dir;
    return DefaultSimDir();
}

int64_t WallNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

int TransitionMs() {
    if (auto text = EnvText("KELMORA_SIM_RESET_MS")) {
        try {
            int ms = std::stoi(*text);
            if (ms >= 0 && ms <= 60000)
                return ms;
        } catch (...) {
        }
    }
    return 300;
}

fs::path VolumeRoot(const fs::path& simDir, int driveId) {
    return simDir / ("drive-" + std::to_string(driveId)) / "volume";
}

namespace {

fs::path DiscRoot(const fs::path& simDir, int driveId) {
    return simDir / ("drive-" + std::to_string(driveId)) / "disc";
}

bool ReadText(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool WriteAtomically(const fs::path& path, const std::string& text) {
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text;
        if (!out.flush())
            return false;
    }
    return ReplaceWholeFile(temp, path);
}

// A drive that went away for a while comes back; a re-mounting volume shows again.
bool BringDue(State& state, int64_t now) {
    bool changed = false;
    for (auto& d : state.drives) {
        if (d.bus == Bus::Away && d.awayUntilMs != 0 && d.awayUntilMs <= now) {
            d.bus = Bus::On;
            d.awayUntilMs = 0;
            changed = true;
        }
        if (d.volumeHiddenUntilMs != 0 && d.volumeHiddenUntilMs <= now) {
            d.volumeHiddenUntilMs = 0;
            changed = true;
        }
    }
    return changed;
}

std::string MountEntry(const fs::path& root, const VolumeView& v) {
    std::ostringstream out;
    out << "root=" << reinterpret_cast<const char*>(root.u8string().c_str()) << "\n";
    out << "type=" << v.type << "\n";
    out << "size=" << v.size << "\n";
    out << "free=" << v.free << "\n";
    out << "label=" << v.label << "\n";
    return out.str();
}

// Rewrites volumes/ so that it lists exactly the volumes the drives show now.
void PublishMountTable(const fs::path& dir, const State& state, int64_t now) {
    fs::path volumes = dir / "volumes";
    std::error_code ec;
    fs::create_directories(volumes, ec);
    std::map<std::string, std::string> wanted;
    for (const auto& d : state.drives) {
        auto v = CurrentVolume(d, now);
        if (!v)
            continue;
        fs::path root = v->type == kDriveTypeCdrom ? DiscRoot(dir, d.id) : VolumeRoot(dir, d.id);
        fs::create_directories(root, ec);
        wanted[d.letter] = MountEntry(root, *v);
    }
    for (const auto& entry : fs::directory_iterator(volumes, ec)) {
        const fs::path& p = entry.path();
        if (p.extension() != ".vol")
            continue;
        if (!wanted.count(p.stem().string()))
            fs::remove(p, ec);
    }
    for (const auto& [letter, text] : wanted) {
        fs::path p = volumes / (letter + ".vol");
        std::string old;
        if (ReadText(p, old) && old == text)
            continue;
        WriteAtomically(p, text);
    }
}

bool Load(const fs::path& dir, State& state) {
    std::string text;
    if (!ReadText(dir / "state.txt", text)) {
        state = State{};
        return true;
    }
    state = Parse(text);
    return true;
}

} // namespace

bool Transact(const std::function<bool(State&)>& change) {
    fs::path dir = SimDir();
    std::error_code ec;
    fs::create_directories(dir, ec);
    FileLock lock(dir / "state.lock");
    if (!lock.Held())
        return false;
    State state;
    if (!Load(dir, state))
        return false;
    int64_t now = WallNowMs();
    bool changed = BringDue(state, now);
    changed = change(state) || changed;
    if (!changed)
        return true;
    if (!WriteAtomically(dir / "state.txt", Serialize(state)))
        return false;
    PublishMountTable(dir, state, now);
    return true;
}

void WaitAndSettle(int64_t untilWallMs) {
    while (WallNowMs() < untilWallMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Transact([](State&) { return false; });
}

bool Snapshot(State& out) {
    return Transact([&](State& s) {
        out = s;
        return false;
    });
}

} // namespace sim
