#include "shell/Language.h"

#include "platform/Locale.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

#include <algorithm>
#include <array>

namespace {

std::wstring languageFile;

struct LanguageIds {
    LanguageCode code;
    std::initializer_list<uint16_t> ids;
};

const LanguageIds kLanguageIds[] = {
    {LanguageChinese, {0x0804, 0x0C04, 0x1004, 0x1404}},
    {LanguageJapanese, {0x0411}},
    {LanguageGerman, {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407, 0x0475}},
    {LanguageFrench, {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C}},
    {LanguageSpanish,
     {0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x2C0A,
      0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A, 0x0479}},
    {LanguageItalian, {0x0410, 0x0810, 0x0478}},
};

} // namespace

LanguageCode LanguageCodeForLangId(uint16_t langId) {
    for (const LanguageIds& entry : kLanguageIds)
        if (std::find(entry.ids.begin(), entry.ids.end(), langId) != entry.ids.end())
            return entry.code;
    return LanguageEnglish;
}

LanguageCode DetectUiLanguage() {
    return LanguageCodeForLangId(platform::UiLanguageId());
}

std::wstring LanguageFileFor(LanguageCode code) {
    switch (code) {
    case LanguageChinese:
        return L"Chinese.ini";
    case LanguageJapanese:
        return L"Japan.ini";
    case LanguageGerman:
        return L"Deusce.ini";
    case LanguageFrench:
        return L"France.ini";
    case LanguageSpanish:
        return L"Spain.ini";
    case LanguageItalian:
        return L"Italy.ini";
    default:
        return L"English.ini";
    }
}

void ChooseLanguageFile() {
    languageFile = LanguageFileFor(DetectUiLanguage());
}

const std::wstring& LanguageFile() {
    return languageFile;
}

std::wstring LookupText(std::wstring_view key, std::wstring_view file) {
    if (file.empty())
        return {};
    const auto path = platform::ExecutableDir() / L"language" / std::wstring(file);
    return platform::ReadIniString(path, L"Fields", key, L"", 512);
}
