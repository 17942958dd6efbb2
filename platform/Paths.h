#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// The folder of the running executable ("language\" and the bridge library live there).
std::filesystem::path ExecutableDir();

// Where the fixed "C:\ProgramData" of the Windows build lives. Environment variable
// KELMORA_DATA_ROOT overrides it on every system (tests point it at a scratch folder); without
// it, Windows uses the real "C:\ProgramData" and POSIX systems use
// "$XDG_DATA_HOME/kelmora/ProgramData" (or "~/.local/share/kelmora/ProgramData").
std::filesystem::path ProgramDataRoot();

// Maps a fixed Windows path under "C:\ProgramData\" (any case, either slash) to this system's
// data root; other paths come back unchanged apart from their separators.
std::filesystem::path MapProgramDataPath(std::wstring_view windowsPath);

// Paths as UTF-8 text and back, the same on every system.
std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path Utf8ToPath(std::string_view utf8);

} // namespace platform
