#pragma once
// What the windows ask of the desktop: open a web address in the browser, put text on the
// clipboard, let the user choose a folder. UI thread only. Tests install hooks instead of
// opening browsers and dialogs.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class CWindowWnd;

namespace uilib {

// Opens the address with the desktop's handler (the browser for http/https/mailto); false
// when nothing could open it.
bool OpenUrl(std::wstring_view url);
bool SetClipboardText(std::wstring_view text);
std::wstring GetClipboardText();
// The folder dialog over `owner`; nullopt when the user cancels.
std::optional<std::wstring> ChooseFolder(CWindowWnd* owner, std::wstring_view title);

// While installed, the hooks answer instead of the desktop.
void SetOpenUrlHook(std::function<bool(std::wstring_view url)> hook);
void SetChooseFolderHook(std::function<std::optional<std::wstring>(std::wstring_view title)> hook);

} // namespace uilib
