#include "platform/Profile.h"

#include <vector>
#include <windows.h>

namespace platform {

std::wstring ReadIniString(const std::filesystem::path& file, std::wstring_view section,
                           std::wstring_view key, std::wstring_view defaultValue,
                           size_t bufferChars) {
    if (bufferChars == 0)
        return {};
    std::vector<wchar_t> buffer(bufferChars, L'\0');
    GetPrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(),
                             std::wstring(defaultValue).c_str(), buffer.data(),
                             static_cast<DWORD>(bufferChars), file.wstring().c_str());
    return std::wstring(buffer.data());
}

bool WriteIniString(const std::filesystem::path& file, std::wstring_view section,
                    std::wstring_view key, std::wstring_view value) {
    return WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(),
                                      std::wstring(value).c_str(), file.wstring().c_str()) != FALSE;
}

} // namespace platform
