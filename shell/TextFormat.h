#pragma once
// Small text utilities of the window: byte counts for display and the system code page.
#include <cstdint>
#include <string>
#include <string_view>

// "465.76GB", "1.50MB", "1.00KB"; 1024 bytes or less (and negative counts) give "0.00".
// Each unit starts just above the previous one's limit: 2^30 bytes is "1024.00MB".
std::wstring FormatSize(int64_t bytes);

// Conversions in the system's narrow code page; the result ends at its first zero character.
std::wstring AnsiToWide(std::string_view narrow);
std::string WideToAnsi(std::wstring_view wide);
