#pragma once
// The drive's fingerprint engine as the bridge exposes it: 8-byte command frames in, 8- or
// 40-byte answer frames out, templates kept by id, a sensor on which drivesim places and lifts
// named fingers, and the vendor status that tells whether a finger was judged and matched.
//
// Frames:
//   command  6C 63 62 code param 00 sum 00        sum = (code + param + 0 - 59) mod 256
//   short    6C 62 63 code status r5 r6 sum       sum = (code + r5 + r6 - 59) mod 256
//   long     6C 62 63 code status r5 r6 payload[32] sum
//                                                 sum = (code - 59 + bytes 4..38) mod 256
#include "SimState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Engine status bytes.
inline constexpr uint8_t kEngineOk = 0x00;
inline constexpr uint8_t kEngineNoFinger = 0xB2;
inline constexpr uint8_t kEngineNothingToErase = 0x90;
inline constexpr uint8_t kEngineFull = 0x8A; // no free id
inline constexpr uint8_t kEngineEraseRefused = 0x8B;
inline constexpr uint8_t kEngineCaptureFailed = 0x8C;
inline constexpr uint8_t kEngineEnrollFailed = 0x8D;
inline constexpr uint8_t kEngineBadFrame = 0x8E;
inline constexpr uint8_t kEngineUnknownCommand = 0x8F;
inline constexpr uint8_t kEngineBadParameter = 0x91;

inline constexpr int kEngineCapacity = 20; // templates the engine holds (ids 1..20)
inline constexpr int kCapturesPerEnroll = 5;
inline constexpr uint16_t kDefaultSimilarity = 0x0100;

// Commands.
inline constexpr uint8_t kCmdPresence = 0x10;
inline constexpr uint8_t kCmdFreeId = 0x74;
inline constexpr uint8_t kCmdCapture = 0x51;
inline constexpr uint8_t kCmdEnroll = 0x7F;
inline constexpr uint8_t kCmdEraseOne = 0x73;
inline constexpr uint8_t kCmdEraseAll = 0x54;

std::vector<uint8_t> BuildCommandFrame(uint8_t code, uint8_t param);
std::vector<uint8_t> BuildShortAnswer(uint8_t code, uint8_t status, uint8_t r5, uint8_t r6);
std::vector<uint8_t> BuildLongAnswer(uint8_t code, uint8_t status, uint8_t r5, uint8_t r6,
                                     const uint8_t payload[32]);

// Runs one command frame on the drive's engine and returns its answer frame (long for 0x7F).
// Engine refusals injected as faults (capture-refuse, enroll-refuse, id-refuse, erase-refuse)
// are taken here; corruptions of the answer (bad-checksum, bad-header) are applied on receive.
std::vector<uint8_t> RunEngineCommand(Drive& drive, const uint8_t frame[8]);

// Places a named finger on the sensor. On a locked drive with the fingerprint function on, an
// enrolled finger unlocks the drive (true: the caller re-mounts its volume); any other finger is
// judged and rejected for as long as it rests there.
bool PlaceFinger(Drive& drive, const std::string& finger);
void LiftFinger(Drive& drive);

// The 8 vendor status bytes: byte 3 a finger was judged, byte 4 it matched, byte 5 the number of
// templates, byte 6 the fingerprint function is on. A match is reported once.
void VendorStatus(Drive& drive, uint8_t out[8]);

// The password-independent unlock that an accepted finger performs.
void UnlockByFinger(Drive& drive);

} // namespace sim
