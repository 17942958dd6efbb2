#pragma once
// The language of the program's texts: chosen once at start-up from the user-interface
// language, then every visible text is looked up by key in that language file.
#include <cstdint>
#include <string>
#include <string_view>

enum LanguageCode : int {
    LanguageEnglish = 1,
    LanguageChinese = 2,
    LanguageJapanese = 4,
    LanguageGerman = 5,
    LanguageFrench = 6,
    LanguageSpanish = 10,
    LanguageItalian = 11,
};

// The language of a Windows language identifier, matched on the whole identifier: Chinese
// (Taiwan) 0x0404 and Spanish (Peru) 0x280A are not in the table and give English.
LanguageCode LanguageCodeForLangId(uint16_t langId);

// The language of the running thread's user interface.
LanguageCode DetectUiLanguage();

// "English.ini", "Chinese.ini", ... for a code; codes without a file of their own give English.
std::wstring LanguageFileFor(LanguageCode code);

// Sets the language file from DetectUiLanguage. Called once, first of all, before any other
// thread exists; LanguageFile() is only read afterwards.
void ChooseLanguageFile();
const std::wstring& LanguageFile();

// The value of `key` in section "Fields" of `file` in the "language" folder beside the
// executable; empty when the folder, the file or the key is missing, at most 511 characters.
// Reads the file on every call (no cache), so it is safe from any thread.
std::wstring LookupText(std::wstring_view key, std::wstring_view file = LanguageFile());

// Marks a text key that sits in a table rather than in a LookupText call, so that the check of
// the language files finds it.
constexpr const wchar_t* TextKey(const wchar_t* key) {
    return key;
}
