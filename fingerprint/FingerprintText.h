#pragma once
// Texts in the custom-data area are UTF-16LE in fixed fields (a name of 15 code units, a hint of
// 16); the window hands them over and takes them back in the system code page. These
// conversions never split a character: a surrogate pair or a multi-byte character that does not
// fit is left out whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Fills `field` (2 * `units` bytes) with the text, zero-padded, cut to whole characters.
void NarrowToUtf16Field(std::string_view narrow, uint8_t* field, size_t units);

// The field's text (up to its first zero unit) in the system code page, cut to whole characters
// so that it takes at most `maxBytes` bytes.
std::string Utf16FieldToNarrow(const uint8_t* field, size_t units, size_t maxBytes);
