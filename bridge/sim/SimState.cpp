#include "SimState.h"

#include "Sha256.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace sim {

const FaultKind kFaultKinds[] = {
    {"send-fail", "AP_SendFingerprint fails"},
    {"receive-fail", "AP_ReceiveFingerprint fails"},
    {"bad-checksum", "the engine's answer carries a wrong checksum"},
    {"bad-header", "the engine's answer carries a wrong header"},
    {"read-fail", "reading the custom-data area fails"},
    {"write-fail", "writing the custom-data area fails (the area stays as it was)"},
    {"no-return", "after a chip reset the drive does not come back (until plug)"},
    {"capture-refuse", "the engine refuses a capture (command 0x51, status 0x8C)"},
    {"enroll-refuse", "the engine refuses to enroll (command 0x7F, status 0x8D)"},
    {"id-refuse", "the engine gives no free id (command 0x74, status 0x8A)"},
    {"erase-refuse", "the engine refuses to erase (commands 0x73, 0x54, status 0x8B)"},
    {"status-fail", "AP_GetSecurityStatus fails"},
    {"vendor-status-fail", "AP_GetFingerprintStatus_VendorEx fails"},
    {"function-fail", "AP_FingerPrintFunctControl fails"},
    {"login-fail", "AP_Login refuses even the right password"},
    {"setpwd-fail", "AP_SetPwd fails"},
    {"changepwd-fail", "AP_ChangePwd fails"},
    {"erase-fail", "AP_EraseSecurityInfo fails"},
    {"safemode-fail", "AP_EraseSecurityInfoSafeMode fails"},
    {"partition-fail", "AP_DiskPartition fails"},
    {"format-fail", "AP_FormatDisk fails"},
    {"eject-fail", "JMSafeRemoveEx answers -1 (volume in use)"},
    {"letter-fail", "JMGetDiskLetterEx fails"},
    {"product-fail", "AP_GetProductInfo fails"},
};
const int kFaultKindCount = int(sizeof kFaultKinds / sizeof kFaultKinds[0]);

bool IsFaultKind(const std::string& name) {
    for (const auto& k : kFaultKinds)
        if (name == k.name)
            return true;
    return false;
}

bool TakeFault(Drive& drive, const std::string& kind) {
    auto it = drive.faults.find(kind);
    if (it == drive.faults.end())
        return false;
    if (it->second > 0 && --it->second == 0)
        drive.faults.erase(it);
    return true;
}

Drive* State::Find(int id) {
    for (auto& d : drives)
        if (d.id == id)
            return &d;
    return nullptr;
}

Drive* State::FindBySymbol(const std::string& symbol) {
    for (auto& d : drives)
        if (d.Answering() && SymbolOf(d) == symbol)
            return &d;
    return nullptr;
}

std::vector<Drive*> State::OnBus() {
    std::vector<Drive*> out;
    for (auto& d : drives)
        if (d.Answering())
            out.push_back(&d);
    return out;
}

std::string SymbolOf(const Drive& drive) {
    // 22 characters of bridge path, the 12-character serial, then the short tail "\0".
    return "USB\\VID_152D&PID_0583\\" + drive.serial + "\\0";
}

std::optional<VolumeView> CurrentVolume(const Drive& drive, int64_t nowMs) {
    if (!drive.Answering() || drive.letter.empty())
        return std::nullopt;
    if (drive.locked) {
        // The locked drive's small read-only disc: no data, nothing free.
        return VolumeView{kDriveTypeCdrom, 8u << 20, 0, "ZEMO LOCK"};
    }
    if (!drive.HasDataVolume() || drive.volumeHiddenUntilMs > nowMs)
        return std::nullopt;
    uint64_t used = std::min(drive.used, drive.size);
    return VolumeView{kDriveTypeFixed, drive.size, drive.size - used, drive.label};
}

namespace {

const char* BusName(Bus bus) {
    switch (bus) {
    case Bus::On:
        return "on";
    case Bus::Off:
        return "off";
    case Bus::Ejected:
        return "ejected";
    case Bus::Away:
        return "away";
    }
    return "on";
}

Bus BusFromName(const std::string& name) {
    if (name == "off")
        return Bus::Off;
    if (name == "ejected")
        return Bus::Ejected;
    if (name == "away")
        return Bus::Away;
    return Bus::On;
}

// Values are single-line; names of fingers and products are escaped so that any text survives.
std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == ',' || c == ':' || c == '=' || c < 0x20) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else if (c == '%') {
            out += "%25";
        } else {
            out += char(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// -1 when the two characters are not a hex byte.
int HexByte(const std::string& text, size_t at) {
    if (at + 1 >= text.size())
        return -1;
    int hi = HexDigit(text[at]), lo = HexDigit(text[at + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        int byte = text[i] == '%' ? HexByte(text, i + 1) : -1;
        if (byte >= 0) {
            out += char(byte);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> out;
    if (text.empty())
        return out;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, sep))
        out.push_back(item);
    return out;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int byte = HexByte(hex, i);
        if (byte < 0)
            break;
        out.push_back(uint8_t(byte));
    }
    return out;
}

int64_t ToInt(const std::string& v) {
    try {
        return std::stoll(v);
    } catch (...) {
        return 0;
    }
}

} // namespace

std::string Serialize(const State& state) {
    std::ostringstream out;
    out << "kelmora-drive-sim 1\n";
    out << "next=" << state.nextId << "\n";
    for (const auto& d : state.drives) {
        out << "drive=" << d.id << "\n";
        out << "product=" << Escape(d.product) << "\n";
        out << "serial=" << Escape(d.serial) << "\n";
        out << "bus=" << BusName(d.bus) << "\n";
        out << "away_until=" << d.awayUntilMs << "\n";
        out << "letter=" << d.letter << "\n";
        out << "password_salt=" << d.passwordSalt << "\n";
        out << "password_key=" << d.passwordKey << "\n";
        out << "locked=" << d.locked << "\n";
        out << "volume_hidden_until=" << d.volumeHiddenUntilMs << "\n";
        out << "status_bytes=" << d.statusByte1Override << "," << d.statusByte2Override << "\n";
        out << "partitioned=" << d.partitioned << "\n";
        out << "file_system=" << Escape(d.fileSystem) << "\n";
        out << "label=" << Escape(d.label) << "\n";
        out << "size=" << d.size << "\n";
        out << "used=" << d.used << "\n";
        out << "custom=" << ToHex(d.customData.data(), d.customData.size()) << "\n";
        out << "fp_function=" << d.fingerprintFunction << "\n";
        out << "templates=";
        bool first = true;
        for (const auto& [id, name] : d.templates) {
            out << (first ? "" : ",") << id << ":" << Escape(name);
            first = false;
        }
        out << "\n";
        out << "finger=" << Escape(d.finger) << "\n";
        out << "match_latched=" << d.matchLatched << "\n";
        out << "captures=";
        for (size_t i = 0; i < d.captures.size(); ++i)
            out << (i ? "," : "") << Escape(d.captures[i]);
        out << "\n";
        out << "similarity=";
        for (size_t i = 0; i < d.similarity.size(); ++i)
            out << (i ? "," : "") << d.similarity[i];
        out << "\n";
        out << "pending_answer=" << ToHex(d.pendingAnswer.data(), d.pendingAnswer.size()) << "\n";
        out << "faults=";
        first = true;
        for (const auto& [kind, count] : d.faults) {
            out << (first ? "" : ",") << kind << ":" << count;
            first = false;
        }
        out << "\n";
    }
    return out.str();
}

State Parse(const std::string& text) {
    State state;
    Drive* d = nullptr;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "next") {
            state.nextId = int(ToInt(value));
            continue;
        }
        if (key == "drive") {
            state.drives.emplace_back();
            d = &state.drives.back();
            d->id = int(ToInt(value));
            continue;
        }
        if (!d)
            continue;
        if (key == "product")
            d->product = Unescape(value);
        else if (key == "serial")
            d->serial = Unescape(value);
        else if (key == "bus")
            d->bus = BusFromName(value);
        else if (key == "away_until")
            d->awayUntilMs = ToInt(value);
        else if (key == "letter")
            d->letter = value;
        else if (key == "password_salt")
            d->passwordSalt = value;
        else if (key == "password_key")
            d->passwordKey = value;
        else if (key == "locked")
            d->locked = value == "1";
        else if (key == "volume_hidden_until")
            d->volumeHiddenUntilMs = ToInt(value);
        else if (key == "status_bytes") {
            auto parts = Split(value, ',');
            if (parts.size() == 2) {
                d->statusByte1Override = int(ToInt(parts[0]));
                d->statusByte2Override = int(ToInt(parts[1]));
            }
        } else if (key == "partitioned")
            d->partitioned = value == "1";
        else if (key == "file_system")
            d->fileSystem = Unescape(value);
        else if (key == "label")
            d->label = Unescape(value);
        else if (key == "size")
            d->size = uint64_t(ToInt(value));
        else if (key == "used")
            d->used = uint64_t(ToInt(value));
        else if (key == "custom") {
            auto bytes = FromHex(value);
            d->customData.fill(0);
            std::memcpy(d->customData.data(), bytes.data(),
                        std::min(bytes.size(), d->customData.size()));
        } else if (key == "fp_function")
            d->fingerprintFunction = value == "1";
        else if (key == "templates") {
            for (const auto& item : Split(value, ',')) {
                auto colon = item.find(':');
                if (colon != std::string::npos)
                    d->templates[int(ToInt(item.substr(0, colon)))] =
                        Unescape(item.substr(colon + 1));
            }
        } else if (key == "finger")
            d->finger = Unescape(value);
        else if (key == "match_latched")
            d->matchLatched = value == "1";
        else if (key == "captures") {
            for (const auto& item : Split(value, ','))
                d->captures.push_back(Unescape(item));
        } else if (key == "similarity") {
            for (const auto& item : Split(value, ','))
                d->similarity.push_back(uint16_t(ToInt(item)));
        } else if (key == "pending_answer")
            d->pendingAnswer = FromHex(value);
        else if (key == "faults") {
            for (const auto& item : Split(value, ',')) {
                auto colon = item.find(':');
                if (colon != std::string::npos)
                    d->faults[item.substr(0, colon)] = int(ToInt(item.substr(colon + 1)));
            }
        }
    }
    return state;
}

} // namespace sim
