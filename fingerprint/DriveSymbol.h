#pragma once
// The bridge library takes a drive's symbol as a 64-byte buffer it may scribble on; every call
// gets a fresh copy (at most 63 bytes and a terminating zero).
#include <cstddef>
#include <cstring>

constexpr size_t kDriveSymbolSize = 64;

class SymbolCopy {
public:
    explicit SymbolCopy(const char* symbol) {
        if (symbol)
            std::strncpy(bytes_, symbol, kDriveSymbolSize - 1);
    }
    char* data() { return bytes_; }

private:
    char bytes_[kDriveSymbolSize] = {};
};
