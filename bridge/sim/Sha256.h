#pragma once
// A small self-contained SHA-256 (the stand-in library must build with MinGW, without OpenSSL).
// Used only to keep the simulated drives' passwords out of the state file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

using Digest = std::array<uint8_t, 32>;

Digest Sha256(const void* data, std::size_t length);

// Iterated, salted digest of a password (hex text), so that the state file never holds it.
std::string DerivePasswordKey(std::string_view salt, std::string_view password);

std::string ToHex(const uint8_t* data, std::size_t length);

} // namespace sim
