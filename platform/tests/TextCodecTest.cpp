#include "platform/TextCodec.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCodecTest, RoundTripsThroughUtf8AndUtf16) {
    const std::wstring samples[] = {L"", L"ASCII", L"Grüße", L"指纹解锁", L"emoji \U0001F511 key"};
    for (const std::wstring& s : samples) {
        EXPECT_EQ(platform::Utf8ToWide(platform::WideToUtf8(s)), s);
        auto bytes = platform::WideToUtf16Le(s);
        EXPECT_EQ(platform::Utf16LeToWide(bytes.data(), bytes.size()), s);
    }
    EXPECT_EQ(platform::WideToUtf16Le(L"\U0001F511").size(), 4u);
    EXPECT_EQ(platform::Utf16Length(L"a\U0001F511"), 3u);
}

TEST(TextCodecTest, InvalidInputBecomesReplacementCharacters) {
    EXPECT_EQ(platform::Utf8ToWide("a\xFF"
                                   "b"),
              L"a\uFFFDb");
    EXPECT_EQ(platform::Utf8ToWide("\xE6\x8C"), L"\uFFFD\uFFFD"); // cut short
    EXPECT_EQ(platform::Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD"); // overlong
    const uint8_t lone[] = {0x00, 0xD8, 0x41, 0x00};              // lone high surrogate, 'A'
    EXPECT_EQ(platform::Utf16LeToWide(lone, sizeof lone), L"\uFFFDA");
    const uint8_t odd[] = {0x41, 0x00, 0x42}; // odd byte dropped
    EXPECT_EQ(platform::Utf16LeToWide(odd, sizeof odd), L"A");
}

TEST(TextCodecTest, SystemCodePageHandlesEmptyAndAsciiText) {
    EXPECT_EQ(platform::SystemCodePageToWide(""), L"");
    EXPECT_EQ(platform::WideToSystemCodePage(L""), "");
    EXPECT_EQ(platform::SystemCodePageToWide("ZEMO SSD Dudur"), L"ZEMO SSD Dudur");
    EXPECT_EQ(platform::WideToSystemCodePage(L"ZEMO QX100"), "ZEMO QX100");
}

} // namespace
