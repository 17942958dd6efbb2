#include "SimControl.h"

#include "FingerprintEngine.h"
#include "Security.h"
#include "SimStore.h"

#include <chrono>
#include <cstdio>
#include <sstream>

namespace sim {

namespace {

void SetError(std::string* error, const std::string& text) {
    if (error)
        *error = text;
}

// Runs `change` on drive `id` (or on the default drive `pick` chooses when id is 0).
bool OnDrive(int id, Drive* (*pick)(State&),
             const std::function<bool(Drive&, std::string&)>& change, std::string* error) {
    std::string problem;
    bool done = false;
    bool stored = Transact([&](State& s) {
        Drive* d = id ? s.Find(id) : pick(s);
        if (!d) {
            problem = id ? "no drive " + std::to_string(id) : "no drive to choose";
            return false;
        }
        done = change(*d, problem);
        return done;
    });
    if (!stored) {
        SetError(error, "cannot use the state folder " + SimDir().string());
        return false;
    }
    if (!done)
        SetError(error, problem);
    return done;
}

Drive* FirstOnBus(State& s) {
    auto on = s.OnBus();
    return on.empty() ? nullptr : on.front();
}

Drive* FirstOffBus(State& s) {
    for (auto& d : s.drives)
        if (!d.Answering())
            return &d;
    return nullptr;
}

const char* BusText(Bus b) {
    switch (b) {
    case Bus::On:
        return "on the bus";
    case Bus::Off:
        return "detached";
    case Bus::Ejected:
        return "ejected";
    case Bus::Away:
        return "away (chip reset)";
    }
    return "";
}

std::string Gigabytes(uint64_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2fGB", double(bytes) / (1024.0 * 1024.0 * 1024.0));
    return buf;
}

} // namespace

int Attach(const std::string& password, const std::string& product, std::string* error) {
    int id = 0;
    bool stored = Transact([&](State& s) {
        Drive d;
        d.id = id = s.nextId++;
        char serial[16];
        std::snprintf(serial, sizeof serial, "DD24%08d", id % 100000000);
        d.serial = serial;
        if (!product.empty())
            d.product = product;
        for (char c = 'E'; c <= 'Z'; ++c) {
            bool used = false;
            for (const auto& other : s.drives)
                used = used || other.letter == std::string(1, c);
            if (!used) {
                d.letter = std::string(1, c);
                break;
            }
        }
        if (!password.empty()) {
            StorePassword(d, password);
            d.locked = true;
        }
        s.drives.push_back(d);
        return true;
    });
    if (!stored) {
        SetError(error, "cannot use the state folder " + SimDir().string());
        return 0;
    }
    return id;
}

bool Detach(int drive, std::string* error) {
    return OnDrive(
        drive, FirstOnBus,
        [](Drive& d, std::string& problem) {
            if (d.bus == Bus::Off) {
                problem = "drive " + std::to_string(d.id) + " is already detached";
                return false;
            }
            d.bus = Bus::Off;
            d.awayUntilMs = 0;
            d.finger.clear();
            d.pendingAnswer.clear();
            return true;
        },
        error);
}

bool Plug(int drive, std::string* error) {
    return OnDrive(
        drive, FirstOffBus,
        [](Drive& d, std::string& problem) {
            if (d.Answering()) {
                problem = "drive " + std::to_string(d.id) + " is already on the bus";
                return false;
            }
            d.bus = Bus::On;
            d.awayUntilMs = 0;
            d.locked = d.HasPassword(); // a power cycle locks a drive with a password
            d.volumeHiddenUntilMs = 0;
            return true;
        },
        error);
}

bool Touch(const std::string& finger, int drive, std::string* error) {
    if (finger.empty()) {
        SetError(error, "a finger needs a name");
        return false;
    }
    int64_t remountAt = 0;
    bool ok = OnDrive(
        drive, FirstOnBus,
        [&](Drive& d, std::string& problem) {
            if (!d.Answering()) {
                problem = "drive " + std::to_string(d.id) + " is not on the bus";
                return false;
            }
            if (PlaceFinger(d, finger)) {
                // The drive leaves and returns as it unlocks: its volume is re-mounted.
                d.volumeHiddenUntilMs = remountAt = WallNowMs() + TransitionMs();
            }
            return true;
        },
        error);
    if (ok && remountAt)
        WaitAndSettle(remountAt);
    return ok;
}

bool Lift(int drive, std::string* error) {
    return OnDrive(
        drive, FirstOnBus,
        [](Drive& d, std::string&) {
            LiftFinger(d);
            return true;
        },
        error);
}

bool SetVolume(int drive, std::optional<uint64_t> size, std::optional<uint64_t> used,
               std::string* error) {
    return OnDrive(
        drive, FirstOnBus,
        [&](Drive& d, std::string& problem) {
            uint64_t newSize = size.value_or(d.size);
            uint64_t newUsed = used.value_or(d.used);
            if (newSize == 0 || newUsed > newSize) {
                problem = "the used bytes must not exceed the size, and the size must not be 0";
                return false;
            }
            d.size = newSize;
            d.used = newUsed;
            return true;
        },
        error);
}

bool SetFault(int drive, const std::string& kind, int count, std::string* error) {
    if (!IsFaultKind(kind)) {
        SetError(error, "unknown fault kind '" + kind + "' (drivesim --help lists them)");
        return false;
    }
    if (count == 0) {
        SetError(error, "the count must be 1 or more, or 'always'");
        return false;
    }
    return OnDrive(
        drive, FirstOnBus,
        [&](Drive& d, std::string&) {
            d.faults[kind] = count < 0 ? -1 : count;
            return true;
        },
        error);
}

bool ClearFaults(int drive, std::string* error) {
    return OnDrive(
        drive, FirstOnBus,
        [](Drive& d, std::string&) {
            d.faults.clear();
            return true;
        },
        error);
}

bool SetSimilarity(int drive, const std::vector<uint16_t>& values, std::string* error) {
    return OnDrive(
        drive, FirstOnBus,
        [&](Drive& d, std::string&) {
            d.similarity.assign(values.begin(), values.end());
            return true;
        },
        error);
}

bool SetStatusBytes(int drive, int byte1, int byte2, std::string* error) {
    if (byte1 < -1 || byte1 > 255 || byte2 < -1 || byte2 > 255 || ((byte1 < 0) != (byte2 < 0))) {
        SetError(error, "status bytes must be two values 0..255 (or both cleared)");
        return false;
    }
    return OnDrive(
        drive, FirstOnBus,
        [&](Drive& d, std::string&) {
            d.statusByte1Override = byte1;
            d.statusByte2Override = byte2;
            return true;
        },
        error);
}

bool ClearAll(std::string* error) {
    bool stored = Transact([](State& s) {
        s = State{};
        return true;
    });
    if (!stored)
        SetError(error, "cannot use the state folder " + SimDir().string());
    return stored;
}

bool StatusText(std::string& out, std::string* error) {
    State s;
    if (!Snapshot(s)) {
        SetError(error, "cannot use the state folder " + SimDir().string());
        return false;
    }
    std::ostringstream o;
    o << "state folder: " << SimDir().string() << "\n";
    if (s.drives.empty())
        o << "no drives (drivesim attach adds one)\n";
    int64_t now = WallNowMs();
    for (auto& d : s.drives) {
        o << "drive " << d.id << ": " << BusText(d.bus) << ", product \"" << d.product << "\"\n";
        o << "  symbol:      " << SymbolOf(d) << "\n";
        const char* security = !d.HasPassword() ? "no password (open)"
                               : d.locked       ? "password set, locked"
                                                : "password set, unlocked";
        o << "  security:    " << security;
        if (d.statusByte1Override >= 0)
            o << " (reporting raw bytes " << d.statusByte1Override << ", " << d.statusByte2Override
              << ")";
        o << "\n";
        o << "  fingerprint: function " << (d.fingerprintFunction ? "on" : "off") << ", enrolled";
        if (d.templates.empty())
            o << " none";
        for (const auto& [id, finger] : d.templates)
            o << " " << id << " (" << finger << ")";
        o << ", sensor " << (d.finger.empty() ? "empty" : "touched by " + d.finger) << "\n";
        int users = 0;
        for (int slot = 0; slot < 14; ++slot) {
            int8_t id = int8_t(d.customData[slot * 32]);
            users += id > 0;
        }
        unsigned sum = 0;
        for (int i = 0; i < 480; ++i)
            sum += d.customData[i];
        o << "  custom data: " << users << " user record(s), hint "
          << (d.customData[496] == 1 ? "stored" : "none") << ", checksum "
          << (uint8_t(sum) == d.customData[511] ? "valid" : "invalid") << "\n";
        auto v = CurrentVolume(d, now);
        o << "  volume:      ";
        if (!v)
            o << "none";
        else if (v->type == kDriveTypeCdrom)
            o << d.letter << ": locked drive's disc";
        else
            o << d.letter << ": " << d.fileSystem << " \"" << d.label << "\", "
              << Gigabytes(v->size) << ", " << d.used << " of " << d.size << " bytes used";
        if (!d.HasDataVolume())
            o << " (" << (d.partitioned ? "not formatted" : "no partition") << ")";
        o << "\n";
        if (!d.faults.empty()) {
            o << "  faults:     ";
            for (const auto& [kind, count] : d.faults)
                o << " " << kind << (count < 0 ? " (always)" : " x" + std::to_string(count));
            o << "\n";
        }
    }
    out = o.str();
    return true;
}

} // namespace sim
