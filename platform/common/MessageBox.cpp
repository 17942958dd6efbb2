#include "platform/Shell.h"
#include "platform/common/SystemMessageBox.h"

#include <mutex>

namespace platform {
namespace {

std::mutex hookMutex;
MessageBoxHook messageBoxHook;

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    std::lock_guard lock(hookMutex);
    messageBoxHook = std::move(hook);
}

void ShowMessageBox(std::wstring_view text, std::wstring_view caption) {
    MessageBoxHook hook;
    {
        std::lock_guard lock(hookMutex);
        hook = messageBoxHook;
    }
    if (hook)
        hook(text, caption);
    else
        detail::ShowSystemMessageBox(text, caption);
}

} // namespace platform
