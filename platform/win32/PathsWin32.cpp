#include "platform/Paths.h"

#include <cstdlib>
#include <windows.h>

namespace platform {

std::filesystem::path ExecutableDir() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::filesystem::current_path();
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path ProgramDataRoot() {
    if (const wchar_t* root = _wgetenv(L"KELMORA_DATA_ROOT"); root && *root)
        return root;
    return L"C:\\ProgramData";
}

} // namespace platform
