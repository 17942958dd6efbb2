#pragma once
// The real stand-in library, bound the way the program binds it, over a fresh state folder.
#include "TestEnvironment.h"
#include "device/BridgeApi.h"
#include "platform/DynamicLibrary.h"
#include "platform/Environment.h"
#include "platform/Paths.h"
#include "sim/SimControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace bridge_test {

class StandIn : public ::testing::Test {
protected:
    void SetUp() override {
        simDir = testing_env::MakeTempDir("sim");
        platform::SetEnv("KELMORA_SIM_DIR", platform::PathToUtf8(simDir));
        platform::SetEnv("KELMORA_SIM_RESET_MS", "40");
        library = platform::DynamicLibrary::Open(kBridgeLibraryName);
        if (!library)
            GTEST_SKIP() << "the stand-in library is not beside the test executable";
    }

    template <typename Fn> Fn Entry(const char* name) {
        auto fn = reinterpret_cast<Fn>(library->Symbol(name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    // The drive's symbol as the library lists it, in a 64-byte buffer.
    struct Symbol {
        char text[kSymbolSize] = {};
    };
    Symbol SymbolOfSlot(int slot) {
        char table[kSymbolSlots][kSymbolSize] = {};
        int count = Entry<GetUsbIdListFn>("GetUsbIdList")(&table[0][0], kSymbolSlots);
        Symbol s;
        if (slot < count)
            std::memcpy(s.text, table[slot], kSymbolSize);
        return s;
    }
    int Count() {
        char table[kSymbolSlots][kSymbolSize] = {};
        return Entry<GetUsbIdListFn>("GetUsbIdList")(&table[0][0], kSymbolSlots);
    }

    // One exchange with the engine: the answer (8 or 40 bytes), empty when the transport failed.
    std::vector<uint8_t> Exchange(Symbol& s, uint8_t code, uint8_t param) {
        uint8_t frame[8] = {0x6C, 0x63, 0x62, code, param, 0, uint8_t(code + param - 59), 0};
        if (!Entry<SendFingerprintFn>("AP_SendFingerprint")(s.text, frame, 8))
            return {};
        std::vector<uint8_t> answer(code == 0x7F ? 40 : 8);
        if (!Entry<ReceiveFingerprintFn>("AP_ReceiveFingerprint")(s.text, answer.data(),
                                                                  int(answer.size())))
            return {};
        return answer;
    }

    int Attach(const std::string& password = "", const std::string& product = "") {
        std::string error;
        int id = sim::Attach(password, product, &error);
        EXPECT_NE(id, 0) << error;
        return id;
    }

    std::filesystem::path simDir;
    std::unique_ptr<platform::DynamicLibrary> library;
};

// The checksum rules of the answers, written out independently of the library.
inline bool ShortAnswerValid(const std::vector<uint8_t>& a, uint8_t code) {
    return a.size() == 8 && a[0] == 0x6C && a[1] == 0x62 && a[2] == 0x63 && a[3] == code &&
           a[7] == uint8_t(a[3] + a[5] + a[6] - 59);
}
inline bool LongAnswerValid(const std::vector<uint8_t>& a, uint8_t code) {
    if (a.size() != 40 || a[0] != 0x6C || a[1] != 0x62 || a[2] != 0x63 || a[3] != code)
        return false;
    unsigned sum = a[3] - 59u;
    for (int i = 4; i <= 38; ++i)
        sum += a[i];
    return a[39] == uint8_t(sum);
}

} // namespace bridge_test
