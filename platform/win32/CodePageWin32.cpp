#include "platform/CodePage.h"

#include <windows.h>

namespace platform {

std::wstring SystemCodePageToWide(std::string_view narrow) {
    if (narrow.empty())
        return {};
    int n =
        MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), out.data(), n);
    return out;
}

std::string WideToSystemCodePage(std::wstring_view wide) {
    if (wide.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

} // namespace platform
