// The shell's open and the message box on Windows.
#include "platform/Shell.h"
#include "platform/common/SystemMessageBox.h"

#include <string>
#include <windows.h>

// After windows.h, which it relies on.
#include <shellapi.h>

namespace platform {

bool ShellOpen(const std::filesystem::path& file) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

namespace detail {

void ShowSystemMessageBox(std::wstring_view text, std::wstring_view caption) {
    const std::wstring textZ(text), captionZ(caption);
    MessageBoxW(nullptr, textZ.c_str(), captionZ.c_str(), MB_OK);
}

} // namespace detail
} // namespace platform
