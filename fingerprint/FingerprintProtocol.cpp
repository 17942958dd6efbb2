#include "fingerprint/FingerprintProtocol.h"

#include "fingerprint/FingerprintResults.h"

namespace {
constexpr uint8_t kChecksumBias = 59;
} // namespace

uint8_t CommandFrameChecksum(const uint8_t* frame) {
    return uint8_t(frame[3] + frame[4] + frame[5] - kChecksumBias);
}

void BuildCommandFrame(uint8_t command, uint8_t parameter, uint8_t* frame) {
    frame[0] = 0x6C;
    frame[1] = 0x63;
    frame[2] = 0x62;
    frame[3] = command;
    frame[4] = parameter;
    frame[5] = 0x00;
    frame[6] = CommandFrameChecksum(frame);
    frame[7] = 0x00;
}

uint8_t ShortAnswerChecksum(const uint8_t* answer) {
    return uint8_t(answer[3] + answer[5] + answer[6] - kChecksumBias);
}

uint8_t LongAnswerChecksum(const uint8_t* answer) {
    unsigned sum = answer[3] - kChecksumBias;
    for (size_t i = 4; i <= 38; ++i)
        sum += answer[i];
    return uint8_t(sum);
}

int32_t CheckAnswer(uint8_t command, const uint8_t* answer, bool longAnswer) {
    if (answer[4] != 0)
        return answer[4];
    if (answer[0] != 0x6C || answer[1] != 0x62 || answer[2] != 0x63 || answer[3] != command)
        return kFpBadAnswer;
    bool sumOk = longAnswer ? answer[39] == LongAnswerChecksum(answer)
                            : answer[7] == ShortAnswerChecksum(answer);
    return sumOk ? 0 : kFpBadChecksum;
}

std::string HexBytes(const uint8_t* bytes, size_t count) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}
