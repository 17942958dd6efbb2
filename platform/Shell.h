#pragma once
// What the launcher asks of the desktop shell: opening a program and a plain message box.
#include <filesystem>
#include <functional>
#include <string_view>

namespace platform {

// Opens `file` as the shell's "open" verb does, without parameters, shown normally (SW_SHOW),
// and returns without waiting. POSIX: `file` must be an executable program; it starts detached
// (own session, standard streams on /dev/null) in the current folder. True when it started.
bool ShellOpen(const std::filesystem::path& file);

// A message box without owner with an OK button; returns when it is closed. POSIX systems have
// no desktop for a windowless program: the caption and text go to standard error.
void ShowMessageBox(std::wstring_view text, std::wstring_view caption);

// While a hook is installed, message boxes call it instead of showing (tests answer them).
using MessageBoxHook = std::function<void(std::wstring_view text, std::wstring_view caption)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace platform
