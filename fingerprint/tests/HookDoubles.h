#pragma once
// Hooks of the tests' own, for the exact bytes that cross to the library: a scripted engine that
// records every frame and answers from a queue, a custom-data area in memory that can refuse
// reads and writes, and a trace sink that keeps the lines. Plain function pointers reach them,
// so their state is static; Install() resets it.
#include "fingerprint/FingerprintHooks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace hook_doubles {

using Bytes = std::vector<uint8_t>;

struct Exchange {
    std::string symbol;
    Bytes frame;
    int answerLength = 0;
};

struct State {
    std::mutex mutex;
    // Engine.
    std::deque<Bytes> answers; // next answers, in order
    std::vector<Exchange> exchanges;
    bool sendFails = false;
    std::function<void(const Bytes& frame)> onSend; // runs outside the lock, before answering
    bool receiveFails = false;
    // Custom-data area.
    uint8_t area[512] = {};
    bool readFails = false;
    bool writeFails = false;
    int reads = 0;
    int writes = 0;
    // Trace.
    std::vector<std::string> lines;
};

inline State& S() {
    static State state;
    return state;
}

inline int Send(char* symbol, unsigned char* frame, int length) {
    std::function<void(const Bytes&)> onSend;
    bool fails;
    {
        std::lock_guard lock(S().mutex);
        S().exchanges.push_back({symbol, Bytes(frame, frame + length), 0});
        onSend = S().onSend;
        fails = S().sendFails;
    }
    if (onSend)
        onSend(Bytes(frame, frame + length));
    return fails ? 0 : 1;
}

inline int Receive(char*, unsigned char* answer, int length) {
    std::lock_guard lock(S().mutex);
    if (!S().exchanges.empty())
        S().exchanges.back().answerLength = length;
    if (S().receiveFails || S().answers.empty())
        return 0;
    Bytes next = S().answers.front();
    S().answers.pop_front();
    std::memcpy(answer, next.data(), std::min<size_t>(next.size(), size_t(length)));
    return 1;
}

inline int Read(char*, unsigned char* area, int length) {
    std::lock_guard lock(S().mutex);
    ++S().reads;
    if (S().readFails)
        return 0;
    std::memcpy(area, S().area, size_t(length));
    return 1;
}

inline int Write(char*, unsigned char* area, int length) {
    std::lock_guard lock(S().mutex);
    if (S().writeFails)
        return 0;
    ++S().writes;
    std::memcpy(S().area, area, size_t(length));
    return 1;
}

inline void Trace(const char* line) {
    std::lock_guard lock(S().mutex);
    S().lines.emplace_back(line);
}

inline void Install() {
    {
        std::lock_guard lock(S().mutex);
        S().answers.clear();
        S().exchanges.clear();
        S().sendFails = S().receiveFails = S().readFails = S().writeFails = false;
        std::memset(S().area, 0, sizeof S().area);
        S().reads = S().writes = 0;
        S().lines.clear();
        S().onSend = nullptr;
    }
    InstallFingerprintHooks(Send, Receive, Write, Read, Trace);
}

inline void Uninstall() {
    InstallFingerprintHooks(nullptr, nullptr, nullptr, nullptr, nullptr);
}

inline bool HasLine(const std::string& text) {
    std::lock_guard lock(S().mutex);
    return std::find(S().lines.begin(), S().lines.end(), text) != S().lines.end();
}

// A valid short answer to `command`.
inline Bytes ShortAnswer(uint8_t command, uint8_t status = 0, uint8_t r0 = 0, uint8_t r1 = 0) {
    return {0x6C, 0x62, 0x63, command, status, r0, r1, uint8_t(command + r0 + r1 - 59)};
}

// A valid long answer to `command` carrying `payload` (32 bytes).
inline Bytes LongAnswer(uint8_t command, const Bytes& payload) {
    Bytes a(40, 0);
    a[0] = 0x6C;
    a[1] = 0x62;
    a[2] = 0x63;
    a[3] = command;
    unsigned sum = command - 59u;
    for (size_t i = 0; i < 32 && i < payload.size(); ++i)
        a[7 + i] = payload[i];
    for (size_t i = 4; i < 39; ++i)
        sum += a[i];
    a[39] = uint8_t(sum);
    return a;
}

} // namespace hook_doubles
