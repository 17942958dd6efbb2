#pragma once
// The simulated drives as plain data, and their text form in the state file. Every process that
// plays a part (the program through the stand-in library, the drivesim tool, the tests) loads,
// changes and saves this state under one file lock (see SimStore.h).
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr const char* kDefaultProduct = "ZEMO SSD Dudur";
inline constexpr uint64_t kDefaultVolumeSize = 500107862016ull; // shows as 465.76GB
inline constexpr int kCustomDataBytes = 512;

enum class Bus {
    On,      // attached and answering
    Off,     // pulled off the bus (drivesim detach)
    Ejected, // safely removed; gone until plugged again
    Away,    // leaving and returning (chip reset); back at awayUntilMs, or never when 0
};

struct Drive {
    int id = 0; // drivesim's drive number N
    std::string product = kDefaultProduct;
    std::string serial; // 12 characters; part of the drive symbol
    Bus bus = Bus::On;
    int64_t awayUntilMs = 0; // wall-clock time the drive returns (Bus::Away)
    std::string letter;      // drive letter of its volume ("E")

    // Security: the password only as a salted, derived key.
    std::string passwordSalt;
    std::string passwordKey; // empty: no password
    bool locked = false;
    int64_t volumeHiddenUntilMs = 0; // the volume is being re-mounted (after an unlock)
    int statusByte1Override = -1;    // drivesim statusbytes: raw bytes reported instead
    int statusByte2Override = -1;

    // Storage.
    bool partitioned = true;
    std::string fileSystem = "exFAT"; // empty: not formatted
    std::string label = "ZEMO QX100";
    uint64_t size = kDefaultVolumeSize;
    uint64_t used = 0;
    std::array<uint8_t, kCustomDataBytes> customData{};

    // Fingerprint engine.
    bool fingerprintFunction = false;
    std::map<int, std::string> templates; // enrolled id -> finger name
    std::string finger;                   // finger resting on the sensor; empty: none
    bool matchLatched = false;            // an enrolled finger unlocked the drive; not yet read
    std::vector<std::string> captures;    // fingers captured since capture 0
    std::deque<uint16_t> similarity;      // values for the next captures (then the default)
    std::vector<uint8_t> pendingAnswer;   // answer to the last command frame sent

    std::map<std::string, int> faults; // fault kind -> remaining count

    bool HasPassword() const { return !passwordKey.empty(); }
    bool Answering() const { return bus == Bus::On; }
    bool HasDataVolume() const { return partitioned && !fileSystem.empty(); }
};

struct State {
    int nextId = 1;
    std::vector<Drive> drives;

    Drive* Find(int id);
    // The answering drive whose symbol equals `symbol`.
    Drive* FindBySymbol(const std::string& symbol);
    // Drives that answer on the bus, in attach order.
    std::vector<Drive*> OnBus();
};

// The bridge's text naming a drive: at most 63 bytes; characters 22..33 are the serial and the
// one before the last is a backslash.
std::string SymbolOf(const Drive& drive);

// Volume kinds as the system reports them (GetDriveType values).
inline constexpr int kDriveTypeFixed = 3;
inline constexpr int kDriveTypeCdrom = 5;

// The volume a drive shows right now: its data volume when open or unlocked, the small read-only
// CD-ROM volume of a locked drive, none while away, unformatted or re-mounting.
struct VolumeView {
    int type = 0;
    uint64_t size = 0;
    uint64_t free = 0;
    std::string label;
};
std::optional<VolumeView> CurrentVolume(const Drive& drive, int64_t nowMs);

// Text form of the state file.
std::string Serialize(const State& state);
State Parse(const std::string& text);

// Takes one pending count of a fault; true when it fires. A count below 0 means "always".
bool TakeFault(Drive& drive, const std::string& kind);

// Fault kinds drivesim accepts, with a one-line description each.
struct FaultKind {
    const char* name;
    const char* description;
};
extern const FaultKind kFaultKinds[];
extern const int kFaultKindCount;
bool IsFaultKind(const std::string& name);

} // namespace sim
