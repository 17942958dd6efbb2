#pragma once
#include <cstdint>
#include <string_view>

namespace platform {

using LangId = uint16_t;
constexpr LangId kLangIdEnglishUS = 0x0409;

// The user-interface language of the calling thread as a Windows language identifier:
// GetThreadUILanguage on Windows; on POSIX systems the first set of LANGUAGE (its first
// entry), LC_ALL, LC_MESSAGES and LANG, mapped by LangIdFromLocaleName.
LangId UiLanguageId();

// "de_AT.UTF-8", "zh_TW", "pt-BR", "fr" -> the Windows identifier of that locale (a bare
// language gives its primary country). Unknown names, "C" and "POSIX" give English (0x0409).
LangId LangIdFromLocaleName(std::string_view name);

} // namespace platform
