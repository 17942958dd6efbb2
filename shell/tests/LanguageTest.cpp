#include "shell/Language.h"
#include "platform/Paths.h"
#include "platform/TextCodec.h"
#include "shell/TextFormat.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(LanguageTest, LangIdsMapOnTheWholeIdentifier) {
    const struct {
        uint16_t langId;
        LanguageCode code;
        const wchar_t* file;
    } cases[] = {
        {0x0409, LanguageEnglish, L"English.ini"}, {0x0809, LanguageEnglish, L"English.ini"},
        {0x0804, LanguageChinese, L"Chinese.ini"}, {0x0C04, LanguageChinese, L"Chinese.ini"},
        {0x1404, LanguageChinese, L"Chinese.ini"}, {0x0404, LanguageEnglish, L"English.ini"},
        {0x0411, LanguageJapanese, L"Japan.ini"},  {0x0407, LanguageGerman, L"Deusce.ini"},
        {0x0C07, LanguageGerman, L"Deusce.ini"},   {0x0475, LanguageGerman, L"Deusce.ini"},
        {0x140C, LanguageFrench, L"France.ini"},   {0x180C, LanguageEnglish, L"English.ini"},
        {0x040A, LanguageSpanish, L"Spain.ini"},   {0x500A, LanguageSpanish, L"Spain.ini"},
        {0x0479, LanguageSpanish, L"Spain.ini"},   {0x280A, LanguageEnglish, L"English.ini"},
        {0x540A, LanguageEnglish, L"English.ini"}, {0x0810, LanguageItalian, L"Italy.ini"},
        {0x0478, LanguageItalian, L"Italy.ini"},   {0x0416, LanguageEnglish, L"English.ini"},
        {0x0000, LanguageEnglish, L"English.ini"}, {0xFFFF, LanguageEnglish, L"English.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageCodeForLangId(c.langId), c.code) << std::hex << c.langId;
        EXPECT_EQ(LanguageFileFor(LanguageCodeForLangId(c.langId)), c.file) << std::hex << c.langId;
    }
    for (int unused : {3, 7, 8, 9})
        EXPECT_EQ(LanguageFileFor(static_cast<LanguageCode>(unused)), L"English.ini");
}

// A language file of the test's own beside the executable, removed afterwards.
class LookupTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir_);
        std::ofstream out(dir_ / name_, std::ios::binary);
        out << "\xFF\xFE";
        auto body = platform::WideToUtf16Le(L"[Fields]\r\nAppName=ZEMO SSD Dudur\r\nLong=" +
                                            std::wstring(700, L'a') + L"\r\nUnicode=指纹\r\n");
        out.write(reinterpret_cast<const char*>(body.data()),
                  static_cast<std::streamsize>(body.size()));
    }
    void TearDown() override { std::filesystem::remove(dir_ / name_); }

    std::filesystem::path dir_ = platform::ExecutableDir() / "language";
    std::wstring name_ = L"LookupTextTest-" +
                         std::to_wstring(::testing::UnitTest::GetInstance()->random_seed()) + L"-" +
                         std::to_wstring(reinterpret_cast<uintptr_t>(this)) + L".ini";
};

TEST_F(LookupTextTest, ReadsTheFileBesideTheExecutable) {
    EXPECT_EQ(LookupText(L"AppName", name_), L"ZEMO SSD Dudur");
    EXPECT_EQ(LookupText(L"Unicode", name_), L"指纹");
    EXPECT_EQ(LookupText(L"Long", name_), std::wstring(511, L'a'));
    EXPECT_EQ(LookupText(L"NoSuchKey", name_), L"");
    EXPECT_EQ(LookupText(L"AppName", L"NoSuchFile.ini"), L"");
    EXPECT_EQ(LookupText(L"AppName", L""), L"");
}

TEST_F(LookupTextTest, ReadsAgainOnEveryCall) {
    EXPECT_EQ(LookupText(L"AppName", name_), L"ZEMO SSD Dudur");
    std::filesystem::remove(dir_ / name_);
    EXPECT_EQ(LookupText(L"AppName", name_), L"");
}

TEST(FormatSizeTest, UsesTwoDecimalsAndTheUnitAboveEachLimit) {
    const struct {
        int64_t bytes;
        const wchar_t* text;
    } cases[] = {
        {-5, L"0.00"},
        {0, L"0.00"},
        {1024, L"0.00"},
        {1025, L"1.00KB"},
        {1048576, L"1024.00KB"},
        {1572864, L"1.50MB"},
        {1073741824, L"1024.00MB"},
        {1073741825, L"1.00GB"},
        {500107862016, L"465.76GB"},
        {INT64_MIN, L"0.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(TextConversionTest, EmptyTextAndEmbeddedZeros) {
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide(std::string_view("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToAnsi(std::wstring_view(L"ab\0cd", 5)), "ab");
    EXPECT_EQ(AnsiToWide("ZEMO QX100"), L"ZEMO QX100");
}

} // namespace
