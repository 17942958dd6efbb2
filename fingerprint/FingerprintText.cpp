#include "fingerprint/FingerprintText.h"

#include "platform/CodePage.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Drops the last character of a wide text, with both halves of a pair where wchar_t is 16 bits.
void DropLastCharacter(std::wstring& text) {
    text.pop_back();
    while (!text.empty() && IsHighSurrogate(uint32_t(text.back())))
        text.pop_back();
}

} // namespace

void NarrowToUtf16Field(std::string_view narrow, uint8_t* field, size_t units) {
    std::memset(field, 0, units * 2);
    std::wstring wide = platform::SystemCodePageToWide(narrow);
    std::vector<uint8_t> bytes = platform::WideToUtf16Le(wide);
    size_t keep = std::min(bytes.size() / 2, units);
    if (keep < bytes.size() / 2 && keep > 0 &&
        IsHighSurrogate(bytes[2 * keep - 2] | (bytes[2 * keep - 1] << 8)))
        --keep;
    std::memcpy(field, bytes.data(), keep * 2);
}

std::string Utf16FieldToNarrow(const uint8_t* field, size_t units, size_t maxBytes) {
    size_t used = 0;
    while (used < units && (field[2 * used] | field[2 * used + 1]) != 0)
        ++used;
    std::wstring wide = platform::Utf16LeToWide(field, used * 2);
    std::string narrow = platform::WideToSystemCodePage(wide);
    while (narrow.size() > maxBytes && !wide.empty()) {
        DropLastCharacter(wide);
        narrow = platform::WideToSystemCodePage(wide);
    }
    return narrow;
}
