// The seven shipped language files: complete, consistent with each other, and read by this
// system's profile reader exactly as written in the source tree.
#include "TestEnvironment.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "shell/Language.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

const std::filesystem::path kSourceDir = platform::Utf8ToPath(KELMORA_SOURCE_DIR);
const wchar_t* const kFiles[] = {L"English.ini", L"Chinese.ini", L"Japan.ini", L"Deusce.ini",
                                 L"France.ini",  L"Spain.ini",   L"Italy.ini"};

// key -> value of section "Fields" in a UTF-8 source file of the tree.
std::map<std::wstring, std::wstring> SourceTexts(const std::wstring& file) {
    std::map<std::wstring, std::wstring> texts;
    std::wistringstream lines(
        platform::Utf8ToWide(testing_env::ReadFile(kSourceDir / "resources" / "language" / file)));
    bool inFields = false;
    for (std::wstring line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (!line.empty() && line.front() == L'[') {
            inFields = line == L"[Fields]";
        } else if (auto eq = line.find(L'=');
                   inFields && eq != std::wstring::npos && line.front() != L';') {
            texts.emplace(line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return texts;
}

// Every key the program and the layouts look up: literals in LookupText(...) and TextKey(...).
std::set<std::string> KeysUsedInTheTree() {
    static const std::regex use(R"((?:LookupText|TextKey)\(\s*L\"([A-Za-z0-9_]+)\")");
    std::set<std::string> keys;
    for (const char* module :
         {"shell", "device", "fingerprint", "update", "ui", "uilib", "resources"}) {
        const auto dir = kSourceDir / module;
        if (!std::filesystem::exists(dir))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
            const auto ext = entry.path().extension();
            // Tests look up keys of their own making.
            const bool inTests = entry.path().parent_path().filename() == "tests";
            if (!entry.is_regular_file() || inTests ||
                (ext != ".cpp" && ext != ".h" && ext != ".xml"))
                continue;
            const std::string text = testing_env::ReadFile(entry.path());
            for (std::sregex_iterator it(text.begin(), text.end(), use), end; it != end; ++it)
                keys.insert((*it)[1]);
        }
    }
    return keys;
}

TEST(LanguageFilesTest, ShippedFilesGiveTheTextsOfTheSourceTree) {
    for (const wchar_t* file : kFiles) {
        const auto texts = SourceTexts(file);
        ASSERT_FALSE(texts.empty()) << platform::WideToUtf8(file);
        ASSERT_TRUE(std::filesystem::exists(platform::ExecutableDir() / "language" / file));
        for (const auto& [key, value] : texts) {
            EXPECT_EQ(LookupText(key, file), value)
                << platform::WideToUtf8(file) << ": " << platform::WideToUtf8(key);
            EXPECT_FALSE(value.empty())
                << platform::WideToUtf8(file) << ": " << platform::WideToUtf8(key);
        }
    }
}

TEST(LanguageFilesTest, EveryFileHasTheSameKeys) {
    const auto english = SourceTexts(L"English.ini");
    for (const wchar_t* file : kFiles) {
        const auto texts = SourceTexts(file);
        for (const auto& [key, value] : english)
            EXPECT_TRUE(texts.count(key))
                << platform::WideToUtf8(file) << " lacks " << platform::WideToUtf8(key);
        for (const auto& [key, value] : texts)
            EXPECT_TRUE(english.count(key))
                << platform::WideToUtf8(file) << " has extra " << platform::WideToUtf8(key);
        auto found = texts.find(L"Version_FoundNewVersion");
        ASSERT_NE(found, texts.end()) << platform::WideToUtf8(file);
        const std::wstring& pattern = found->second;
        EXPECT_NE(pattern.find(L"%s"), std::wstring::npos) << platform::WideToUtf8(file);
        EXPECT_EQ(pattern.find(L'%'), pattern.rfind(L'%'))
            << platform::WideToUtf8(file) << ": one conversion only";
    }
}

TEST(LanguageFilesTest, EveryKeyTheProgramUsesIsPresent) {
    const auto english = SourceTexts(L"English.ini");
    const auto used = KeysUsedInTheTree();
    for (const std::string& key : used)
        EXPECT_TRUE(english.count(platform::Utf8ToWide(key))) << "missing key " << key;
}

TEST(LanguageFilesTest, DisplayModeStartsNormal) {
    EXPECT_EQ(LookupText(L"mode", L"ModeConfig.ini"), L"0");
}

} // namespace
