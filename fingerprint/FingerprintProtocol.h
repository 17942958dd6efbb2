#pragma once
// The frames exchanged with the drive's fingerprint engine, as pure functions: building a
// command, the checksums and the check of an answer. No I/O happens here.
//
// Command frame (8 bytes): "lcb", command, parameter, 0, checksum, 0.
// Short answer (8 bytes):  "lbc", echo, status, result byte 0, result byte 1, checksum.
// Long answer (40 bytes, command 0x7F only): as the short one, then a 32-byte payload at 7 and
// the checksum at 39.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kCommandFrameSize = 8;
constexpr size_t kShortAnswerSize = 8;
constexpr size_t kLongAnswerSize = 40;
constexpr size_t kEnrollPayloadSize = 32;

// Command codes the program sends.
constexpr uint8_t kFpCmdFingerPresence = 0x10;
constexpr uint8_t kFpCmdNextUserId = 0x74;
constexpr uint8_t kFpCmdCapture = 0x51;
constexpr uint8_t kFpCmdEnroll = 0x7F;
constexpr uint8_t kFpCmdEraseOne = 0x73;
constexpr uint8_t kFpCmdEraseAll = 0x54;

// Only the enroll command is answered with the long frame.
constexpr bool IsLongAnswerCommand(uint8_t command) {
    return command == kFpCmdEnroll;
}

// (byte 3 + byte 4 + byte 5 - 59) mod 256.
uint8_t CommandFrameChecksum(const uint8_t* frame);
void BuildCommandFrame(uint8_t command, uint8_t parameter, uint8_t* frame);

// (byte 3 + byte 5 + byte 6 - 59) mod 256; the status byte is not covered.
uint8_t ShortAnswerChecksum(const uint8_t* answer);
// (byte 3 - 59 + sum of bytes 4..38) mod 256.
uint8_t LongAnswerChecksum(const uint8_t* answer);

// Judges an answer to `command` (8 bytes, or 40 when `longAnswer`): a non-zero status byte is
// returned as it came, before anything else is examined; then kFpBadAnswer for a wrong header
// or echo, kFpBadChecksum for a wrong checksum; 0 for a valid answer.
int32_t CheckAnswer(uint8_t command, const uint8_t* answer, bool longAnswer);

// Each byte as " %02x": the form the trace lines use.
std::string HexBytes(const uint8_t* bytes, size_t count);
