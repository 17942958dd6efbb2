#include "fingerprint/FingerprintText.h"
#include "platform/CodePage.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The text in the system code page, or nothing when that code page cannot hold it (a Chinese
// text on a Western Windows, for one).
bool InSystemCodePage(const std::wstring& wide, std::string* narrow) {
    *narrow = platform::WideToSystemCodePage(wide);
    return platform::SystemCodePageToWide(*narrow) == wide;
}

std::vector<uint8_t> Field(const std::string& narrow, size_t units) {
    std::vector<uint8_t> field(units * 2, 0xEE);
    NarrowToUtf16Field(narrow, field.data(), units);
    return field;
}

TEST(FingerprintText, FieldsRoundTrip) {
    const std::wstring texts[] = {L"", L"Katze", L"Grüße aus Köln", L"我的生日", L"指纹一号"};
    for (const auto& text : texts) {
        std::string narrow;
        if (!InSystemCodePage(text, &narrow))
            continue;
        auto field = Field(narrow, 16);
        EXPECT_EQ(Utf16FieldToNarrow(field.data(), 16, 64), narrow);
    }
}

TEST(FingerprintText, FieldLayoutIsUtf16LeZeroPadded) {
    std::string narrow;
    ASSERT_TRUE(InSystemCodePage(L"Ä1", &narrow));
    auto field = Field(narrow, 15);
    EXPECT_EQ(field[0], 0xC4);
    EXPECT_EQ(field[1], 0x00);
    EXPECT_EQ(field[2], '1');
    for (size_t i = 4; i < field.size(); ++i)
        ASSERT_EQ(field[i], 0) << "byte " << i;
}

TEST(FingerprintText, LongTextsAreCutToWholeCharacters) {
    std::string narrow;
    // Sixteen units fill the hint without a terminator; the seventeenth is dropped.
    ASSERT_TRUE(InSystemCodePage(L"abcdefghijklmnopq", &narrow));
    auto hint = Field(narrow, 16);
    EXPECT_EQ(Utf16FieldToNarrow(hint.data(), 16, 64), "abcdefghijklmnop");
    // Fifteen units for a name.
    auto name = Field(narrow, 15);
    EXPECT_EQ(Utf16FieldToNarrow(name.data(), 15, 64), "abcdefghijklmno");

    // A surrogate pair that would straddle the end is left out whole.
    std::wstring withPair = L"abcdefghijklmn";
    withPair += platform::Utf8ToWide("\xF0\x9F\x98\x80"); // outside the BMP
    if (InSystemCodePage(withPair, &narrow)) {
        auto cut = Field(narrow, 15);
        EXPECT_EQ(cut[28], 0);
        EXPECT_EQ(cut[29], 0);
        EXPECT_EQ(Utf16FieldToNarrow(cut.data(), 15, 64), "abcdefghijklmn");
    }

    // A narrow limit drops whole characters, never half of one.
    std::string chinese;
    if (InSystemCodePage(L"指纹指纹指纹指纹指纹", &chinese)) {
        auto field = Field(chinese, 15);
        std::string shown = Utf16FieldToNarrow(field.data(), 15, 7);
        EXPECT_LE(shown.size(), 7u);
        EXPECT_EQ(platform::WideToSystemCodePage(platform::SystemCodePageToWide(shown)), shown);
        EXPECT_EQ(chinese.compare(0, shown.size(), shown), 0);
    }
}

} // namespace
