#pragma once
// The fingerprint module reaches the bridge library only through these process-wide hooks,
// which the drive manager installs when it binds the library. The module never sees the
// manager itself.
//
// Every entry takes as its first argument a copy of the drive's symbol in a 64-byte buffer.
// Results: nonzero means done (the custom-data write reports 1 on success).

using SendFingerprintFn = int (*)(char* driveSymbol, unsigned char* frame, int length);
using ReceiveFingerprintFn = int (*)(char* driveSymbol, unsigned char* answer, int length);
using WriteCustomDataFn = int (*)(char* driveSymbol, unsigned char* area, int length);
using ReadCustomDataFn = int (*)(char* driveSymbol, unsigned char* area, int length);

// Receives each formatted trace line of the module (without a trailing newline guarantee).
using TraceSink = void (*)(const char* line);

// Installs the hooks; a null pointer leaves the corresponding operation failing cleanly.
void InstallFingerprintHooks(SendFingerprintFn send, ReceiveFingerprintFn receive,
                             WriteCustomDataFn write, ReadCustomDataFn read, TraceSink trace);

extern SendFingerprintFn sendHook;
extern ReceiveFingerprintFn receiveHook;
extern WriteCustomDataFn writeHook;
extern ReadCustomDataFn readHook;
extern TraceSink traceSink;
