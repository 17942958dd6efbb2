#pragma once
// Windows profile (INI) files, with the semantics of GetPrivateProfileStringW and
// WritePrivateProfileStringW: section and key names compare without regard to case, blanks
// around names and values are dropped, one pair of matching quotes around a value is removed,
// the first of two equal keys wins, a missing file, section or key gives the default, and a
// value is cut to fit a buffer of `bufferChars` UTF-16 units including the terminator.
// Files that begin with a UTF-16LE byte-order mark are read as Unicode, other files in the
// system code page.
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

std::wstring ReadIniString(const std::filesystem::path& file, std::wstring_view section,
                           std::wstring_view key, std::wstring_view defaultValue,
                           size_t bufferChars = 512);

// Sets one key, keeping every other line of the file; creates the file, the section or the
// key as needed. Returns false when the file cannot be written.
bool WriteIniString(const std::filesystem::path& file, std::wstring_view section,
                    std::wstring_view key, std::wstring_view value);

} // namespace platform
