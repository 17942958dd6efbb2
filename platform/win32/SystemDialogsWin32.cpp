#include "platform/SystemDialogs.h"

#include <windows.h>

namespace platform {

bool CloseSystemFormatDialog() {
    HWND dialog = FindWindowW(L"#32770", L"Microsoft Windows");
    if (!dialog)
        return false;
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return true;
}

} // namespace platform
