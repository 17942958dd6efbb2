// The same expectations run against the POSIX reader here and against the system's own profile
// API in the Windows build, so both systems give a language file the same texts.
#include "platform/Profile.h"
#include "TestEnvironment.h"
#include "platform/TextCodec.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

std::filesystem::path WriteBytes(const std::filesystem::path& file,
                                 const std::vector<uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::filesystem::path WriteUtf16(const std::filesystem::path& file, std::wstring_view text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    std::vector<uint8_t> body = platform::WideToUtf16Le(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return WriteBytes(file, bytes);
}

std::filesystem::path WriteAscii(const std::filesystem::path& file, std::string_view text) {
    return WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
}

const std::wstring kLong(600, L'x');

const std::wstring kAwkward = L"; a comment line\r\n"
                              L"[Other]\r\n"
                              L"OnlyElsewhere=no\r\n"
                              L"[Fields]\r\n"
                              L"  Spaced  =   value with blanks   \r\n"
                              L"Quoted=\"in quotes\"\r\n"
                              L"Single='single quotes'\r\n"
                              L"HalfQuoted=\"open only\r\n"
                              L"MixedCase=first\r\n"
                              L"MIXEDCASE=second\r\n"
                              L"Twice=one\r\n"
                              L"Twice=two\r\n"
                              L";Commented=hidden\r\n"
                              L"NoEquals\r\n"
                              L"Empty=\r\n"
                              L"Equals=a=b\r\n"
                              L"Long=" +
                              kLong + L"\r\n" + L"Tabs=\tx\t\r\n" + L"Last=end";

struct Case {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring expected;
};

const Case kCases[] = {
    {L"Fields", L"Spaced", L"value with blanks"},
    {L"Fields", L"Quoted", L"in quotes"},
    {L"Fields", L"Single", L"single quotes"},
    {L"Fields", L"HalfQuoted", L"\"open only"},
    {L"Fields", L"mixedcase", L"first"},
    {L"FIELDS", L"Twice", L"one"},
    {L"Fields", L"Commented", L"<default>"},
    {L"Fields", L"NoEquals", L"<default>"},
    {L"Fields", L"Empty", L""},
    {L"Fields", L"Equals", L"a=b"},
    {L"Fields", L"Long", std::wstring(511, L'x')},
    {L"Fields", L"Tabs", L"x"},
    {L"Fields", L"Last", L"end"},
    {L"Fields", L"OnlyElsewhere", L"<default>"},
    {L"Missing", L"Spaced", L"<default>"},
    {L"Fields", L"Absent", L"<default>"},
};

TEST(ProfileTest, AwkwardFilesReadAsWindowsReadsThem) {
    auto dir = testing_env::MakeTempDir("profile");
    std::string ascii = platform::WideToUtf8(kAwkward);
    for (const auto& file :
         {WriteUtf16(dir / "unicode.ini", kAwkward), WriteAscii(dir / "ansi.ini", ascii)}) {
        for (const Case& c : kCases) {
            EXPECT_EQ(platform::ReadIniString(file, c.section, c.key, L"<default>"), c.expected)
                << file.filename() << " [" << platform::WideToUtf8(c.section) << "] "
                << platform::WideToUtf8(c.key);
        }
    }
}

TEST(ProfileTest, MissingFileGivesDefaultAndUnicodeNeedsTheByteOrderMark) {
    auto dir = testing_env::MakeTempDir("profile");
    EXPECT_EQ(platform::ReadIniString(dir / "none.ini", L"Fields", L"AppName", L""), L"");
    EXPECT_EQ(platform::ReadIniString(dir / "none.ini", L"Fields", L"AppName", L"dflt"), L"dflt");

    auto file = WriteUtf16(dir / "zh.ini", L"[Fields]\r\nAppName=中文名称 \U0001F512\r\n");
    EXPECT_EQ(platform::ReadIniString(file, L"Fields", L"AppName", L""), L"中文名称 \U0001F512");
}

TEST(ProfileTest, WritingOneKeyKeepsTheOthers) {
    auto dir = testing_env::MakeTempDir("profile");
    for (bool unicode : {false, true}) {
        std::wstring text = L"[Fields]\r\nmode=0\r\nother=kept\r\n\r\n[Second]\r\nx=1\r\n";
        auto file = unicode ? WriteUtf16(dir / "u.ini", text)
                            : WriteAscii(dir / "a.ini", platform::WideToUtf8(text));
        ASSERT_TRUE(platform::WriteIniString(file, L"Fields", L"mode", L"1"));
        ASSERT_TRUE(platform::WriteIniString(file, L"Fields", L"added", L"new"));
        ASSERT_TRUE(platform::WriteIniString(file, L"Third", L"y", L"2"));
        EXPECT_EQ(platform::ReadIniString(file, L"Fields", L"mode", L""), L"1");
        EXPECT_EQ(platform::ReadIniString(file, L"Fields", L"other", L""), L"kept");
        EXPECT_EQ(platform::ReadIniString(file, L"Fields", L"added", L""), L"new");
        EXPECT_EQ(platform::ReadIniString(file, L"Second", L"x", L""), L"1");
        EXPECT_EQ(platform::ReadIniString(file, L"Third", L"y", L""), L"2");
    }
    auto fresh = dir / "fresh.ini";
    ASSERT_TRUE(platform::WriteIniString(fresh, L"Fields", L"mode", L"0"));
    EXPECT_EQ(platform::ReadIniString(fresh, L"Fields", L"mode", L""), L"0");
}

} // namespace
