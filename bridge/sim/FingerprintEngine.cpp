#include "FingerprintEngine.h"

#include "Sha256.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace sim {

std::vector<uint8_t> BuildCommandFrame(uint8_t code, uint8_t param) {
    return {0x6C, 0x63, 0x62, code, param, 0x00, uint8_t(code + param + 0 - 59), 0x00};
}

std::vector<uint8_t> BuildShortAnswer(uint8_t code, uint8_t status, uint8_t r5, uint8_t r6) {
    return {0x6C, 0x62, 0x63, code, status, r5, r6, uint8_t(code + r5 + r6 - 59)};
}

std::vector<uint8_t> BuildLongAnswer(uint8_t code, uint8_t status, uint8_t r5, uint8_t r6,
                                     const uint8_t payload[32]) {
    std::vector<uint8_t> a(40, 0);
    a[0] = 0x6C;
    a[1] = 0x62;
    a[2] = 0x63;
    a[3] = code;
    a[4] = status;
    a[5] = r5;
    a[6] = r6;
    std::memcpy(&a[7], payload, 32);
    unsigned sum = code - 59u;
    for (int i = 4; i <= 38; ++i)
        sum += a[i];
    a[39] = uint8_t(sum);
    return a;
}

namespace {

bool ValidCommand(const uint8_t f[8]) {
    return f[0] == 0x6C && f[1] == 0x63 && f[2] == 0x62 && f[5] == 0 &&
           f[6] == uint8_t(f[3] + f[4] + f[5] - 59);
}

int FreeId(const Drive& d) {
    for (int id = 1; id <= kEngineCapacity; ++id)
        if (!d.templates.count(id))
            return id;
    return 0;
}

// The finger most of the captures were taken of (the first such on a tie).
std::string CapturedFinger(const Drive& d) {
    std::map<std::string, int> count;
    std::string best;
    int bestCount = 0;
    for (const auto& f : d.captures)
        if (++count[f] > bestCount) {
            bestCount = count[f];
            best = f;
        }
    return best;
}

std::vector<uint8_t> Short(uint8_t code, uint8_t status, uint8_t r5 = 0, uint8_t r6 = 0) {
    return BuildShortAnswer(code, status, r5, r6);
}

} // namespace

std::vector<uint8_t> RunEngineCommand(Drive& d, const uint8_t frame[8]) {
    uint8_t code = frame[3], param = frame[4];
    if (!ValidCommand(frame)) {
        if (code == kCmdEnroll) {
            uint8_t none[32] = {};
            return BuildLongAnswer(code, kEngineBadFrame, 0, 0, none);
        }
        return Short(code, kEngineBadFrame);
    }
    switch (code) {
    case kCmdPresence:
        return Short(code, d.finger.empty() ? kEngineNoFinger : kEngineOk);
    case kCmdFreeId: {
        if (TakeFault(d, "id-refuse"))
            return Short(code, kEngineFull);
        int id = FreeId(d);
        return id ? Short(code, kEngineOk, uint8_t(id), 0) : Short(code, kEngineFull);
    }
    case kCmdCapture: {
        if (d.finger.empty())
            return Short(code, kEngineNoFinger);
        if (TakeFault(d, "capture-refuse"))
            return Short(code, kEngineCaptureFailed);
        if (param == 0)
            d.captures.clear(); // capture 0 starts a new enrollment
        d.captures.push_back(d.finger);
        uint16_t similarity = kDefaultSimilarity;
        if (!d.similarity.empty()) {
            similarity = d.similarity.front();
            d.similarity.pop_front();
        }
        return Short(code, kEngineOk, uint8_t(similarity & 0xFF), uint8_t(similarity >> 8));
    }
    case kCmdEnroll: {
        uint8_t payload[32] = {};
        if (param == 0 || param > kEngineCapacity)
            return BuildLongAnswer(code, kEngineBadParameter, 0, 0, payload);
        if (TakeFault(d, "enroll-refuse") || int(d.captures.size()) < kCapturesPerEnroll)
            return BuildLongAnswer(code, kEngineEnrollFailed, 0, 0, payload);
        std::string finger = CapturedFinger(d);
        d.templates[param] = finger;
        d.captures.clear();
        // The payload stands for the engine's template digest.
        std::string seed = d.serial + ":" + std::to_string(param) + ":" + finger;
        Digest digest = Sha256(seed.data(), seed.size());
        std::memcpy(payload, digest.data(), 32);
        return BuildLongAnswer(code, kEngineOk, param, 0, payload);
    }
    case kCmdEraseOne:
        if (TakeFault(d, "erase-refuse"))
            return Short(code, kEngineEraseRefused);
        if (!d.templates.erase(param))
            return Short(code, kEngineNothingToErase);
        return Short(code, kEngineOk);
    case kCmdEraseAll:
        if (TakeFault(d, "erase-refuse"))
            return Short(code, kEngineEraseRefused);
        if (d.templates.empty())
            return Short(code, kEngineNothingToErase);
        d.templates.clear();
        return Short(code, kEngineOk);
    default:
        return Short(code, kEngineUnknownCommand);
    }
}

void UnlockByFinger(Drive& d) {
    d.locked = false;
    d.matchLatched = true;
}

bool PlaceFinger(Drive& d, const std::string& finger) {
    d.finger = finger;
    if (!d.Answering() || !d.locked || !d.fingerprintFunction)
        return false;
    for (const auto& [id, name] : d.templates)
        if (name == finger) {
            UnlockByFinger(d);
            return true;
        }
    return false;
}

void LiftFinger(Drive& d) {
    d.finger.clear();
}

void VendorStatus(Drive& d, uint8_t out[8]) {
    std::memset(out, 0, 8);
    if (d.matchLatched) {
        out[3] = 1;
        out[4] = 1;
        d.matchLatched = false;
    } else if (!d.finger.empty() && d.locked && d.fingerprintFunction) {
        out[3] = 1; // judged, not matched: the finger is unknown to the engine
    }
    out[5] = uint8_t(d.templates.size());
    out[6] = d.fingerprintFunction ? 1 : 0;
}

} // namespace sim
