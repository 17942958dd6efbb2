#include "fingerprint/FingerprintHooks.h"

SendFingerprintFn sendHook = nullptr;
ReceiveFingerprintFn receiveHook = nullptr;
WriteCustomDataFn writeHook = nullptr;
ReadCustomDataFn readHook = nullptr;
TraceSink traceSink = nullptr;

void InstallFingerprintHooks(SendFingerprintFn send, ReceiveFingerprintFn receive,
                             WriteCustomDataFn write, ReadCustomDataFn read, TraceSink trace) {
    sendHook = send;
    receiveHook = receive;
    writeHook = write;
    readHook = read;
    traceSink = trace;
}
