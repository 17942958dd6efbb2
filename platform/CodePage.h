#pragma once
// Conversions between wide text and the system's narrow ("ANSI") code page: CP_ACP on
// Windows, UTF-8 on POSIX systems.
#include <string>
#include <string_view>

namespace platform {

std::wstring SystemCodePageToWide(std::string_view narrow);
std::string WideToSystemCodePage(std::wstring_view wide);

} // namespace platform
