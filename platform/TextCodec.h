#pragma once
// Unicode conversions that are the same on every system. `std::wstring` is UTF-16 on Windows
// and UTF-32 elsewhere; these functions hide the difference. Invalid input becomes U+FFFD.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// Little-endian UTF-16 code units as bytes, without a byte-order mark.
std::wstring Utf16LeToWide(const uint8_t* bytes, size_t size);
std::vector<uint8_t> WideToUtf16Le(std::wstring_view wide);

// Number of UTF-16 code units the text occupies (its length as Windows counts it).
size_t Utf16Length(std::wstring_view wide);

} // namespace platform
