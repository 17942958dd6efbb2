#include "Security.h"

#include "Sha256.h"

#include <chrono>
#include <random>

namespace sim {

namespace {
std::string NewSalt() {
    std::random_device rd;
    uint8_t bytes[16];
    for (auto& b : bytes)
        b = uint8_t(rd());
    // Mixed with the time in case the random device is deterministic on this system.
    auto now = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int i = 0; i < 8; ++i)
        bytes[i] ^= uint8_t(now >> (8 * i));
    return ToHex(bytes, sizeof bytes);
}
} // namespace

void StorePassword(Drive& d, const std::string& password) {
    d.passwordSalt = NewSalt();
    d.passwordKey = DerivePasswordKey(d.passwordSalt, password);
}

bool PasswordMatches(const Drive& d, const std::string& password) {
    return d.HasPassword() && DerivePasswordKey(d.passwordSalt, password) == d.passwordKey;
}

void ForgetPassword(Drive& d) {
    d.passwordSalt.clear();
    d.passwordKey.clear();
    d.locked = false;
}

} // namespace sim
