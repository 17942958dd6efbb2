#pragma once
// One framed exchange with the drive's fingerprint engine through the process-wide send and
// receive hooks. Keeps no state and takes no lock: callers that could overlap on one drive
// serialise their exchanges themselves.
#include <cstdint>

// Sends `command` with `parameter` and judges the answer. Returns 0 on success, the engine's
// status byte (1..255) as it came, or one of kFpBadAnswer, kFpBadChecksum, kFpExchangeFailed,
// kFpMissingArgument (FingerprintResults.h).
// With `wantResultBytes` the answer's two result bytes go to `resultBytes`. A `payload` (32
// bytes) asks for the long answer and receives its payload.
int32_t FingerPrintCommand(const char* driveSymbol, uint8_t command, uint8_t parameter,
                           bool wantResultBytes, uint8_t* resultBytes, uint8_t* payload);

// Sends the 8-byte `frame` and receives the answer into `answer` (8 bytes, or 40 when
// `payload` is set; only its presence matters here). True when both calls succeeded.
bool ExchangeFrames(const char* driveSymbol, const uint8_t* frame, uint8_t* answer,
                    const uint8_t* payload);
