#include "fingerprint/FingerPrintCommand.h"

#include "fingerprint/DriveSymbol.h"
#include "fingerprint/FingerprintHooks.h"
#include "fingerprint/FingerprintProtocol.h"
#include "fingerprint/FingerprintResults.h"
#include "fingerprint/FingerprintTrace.h"

#include <cstring>

bool ExchangeFrames(const char* driveSymbol, const uint8_t* frame, uint8_t* answer,
                    const uint8_t* payload) {
    FpTrace("Begin, driveSymbol: %s.", driveSymbol ? driveSymbol : "");
    FpTrace("sendcmd=%s\n", HexBytes(frame, kCommandFrameSize).c_str());

    // The library may write into what it is given: it gets copies, never the caller's buffers.
    SymbolCopy symbol(driveSymbol);
    uint8_t out[kCommandFrameSize];
    std::memcpy(out, frame, sizeof out);
    SendFingerprintFn send = sendHook;
    if (!send || send(symbol.data(), out, int(sizeof out)) == 0) {
        FpTrace("%s", "Run pAP_SendFingerprint().");
        return false;
    }

    const size_t length = payload ? kLongAnswerSize : kShortAnswerSize;
    uint8_t in[kLongAnswerSize] = {};
    ReceiveFingerprintFn receive = receiveHook;
    if (!receive || receive(symbol.data(), in, int(length)) == 0) {
        FpTrace("Run pAP_ReceiveFingerprint().");
        return false;
    }
    FpTrace("sendcmd=%s\n", HexBytes(in, length).c_str());
    std::memcpy(answer, in, length);
    FpTrace("End, res = %d.", 1);
    return true;
}

int32_t FingerPrintCommand(const char* driveSymbol, uint8_t command, uint8_t parameter,
                           bool wantResultBytes, uint8_t* resultBytes, uint8_t* payload) {
    FpTrace("Begin, command = 0x%02x, parameter = 0x%02x.", command, parameter);
    auto end = [](int32_t res) {
        FpTrace("End, res = %d.", res);
        return res;
    };
    if (!driveSymbol || !*driveSymbol) {
        FpTrace("The *drivesymbol is empty.");
        return end(kFpMissingArgument);
    }

    uint8_t frame[kCommandFrameSize];
    BuildCommandFrame(command, parameter, frame);
    uint8_t answer[kLongAnswerSize] = {};
    if (!ExchangeFrames(driveSymbol, frame, answer, payload)) {
        FpTrace("Run FingerPrintCommand().");
        return end(kFpExchangeFailed);
    }

    if (answer[4] != 0) {
        FpTrace("Ask,  rpc->returnVal = %d.", answer[4]);
        return end(answer[4]);
    }
    int32_t res = CheckAnswer(command, answer, payload != nullptr);
    if (res != 0) {
        FpTrace("check respone, res = %d.", res);
        return end(res);
    }

    if (command == kFpCmdCapture)
        for (int i = 0; i < int(kShortAnswerSize); ++i)
            FpTrace("output[%d] = 0x%02x.", i, answer[i]);
    if (wantResultBytes && resultBytes) {
        resultBytes[0] = answer[5];
        resultBytes[1] = answer[6];
    }
    if (payload)
        std::memcpy(payload, answer + 7, kEnrollPayloadSize);
    return end(0);
}
