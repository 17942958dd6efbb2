#include "TestEnvironment.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Locale.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace {

TEST(LocaleTest, LocaleNamesMapToWindowsIdentifiers) {
    const struct {
        const char* name;
        platform::LangId id;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"de_AT", 0x0C07},
        {"de", 0x0407},          {"zh_CN.UTF-8", 0x0804},
        {"zh_TW", 0x0404},       {"zh_HK", 0x0C04},
        {"es_PE.UTF-8", 0x280A}, {"es_ES", 0x0C0A},
        {"es_MX", 0x080A},       {"pt_BR", 0x0416},
        {"ja_JP.eucJP", 0x0411}, {"fr_CA", 0x0C0C},
        {"fr-FR", 0x040C},       {"it_CH", 0x0810},
        {"en_GB", 0x0809},       {"en_US.UTF-8", 0x0409},
        {"de_DE@euro", 0x0407},  {"C", 0x0409},
        {"POSIX", 0x0409},       {"", 0x0409},
        {"xx_YY", 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::LangIdFromLocaleName(c.name), c.id) << c.name;
}

TEST(PathsTest, ProgramDataPathsMapBelowTheDataRoot) {
    const auto root = platform::ProgramDataRoot();
    EXPECT_EQ(root, platform::Utf8ToPath(*platform::GetEnv("KELMORA_DATA_ROOT")));
    EXPECT_EQ(platform::MapProgramDataPath(L"C:\\ProgramData\\ZEMO VEVUV SSD\\Kelmora"),
              root / L"ZEMO VEVUV SSD" / L"Kelmora");
    EXPECT_EQ(platform::MapProgramDataPath(L"c:/programdata/X\\app\\"), root / L"X" / L"app");
    EXPECT_EQ(platform::MapProgramDataPath(L"C:\\ProgramData"), root);
    EXPECT_NE(platform::MapProgramDataPath(L"C:\\ProgramDataX\\a"), root / L"a");
    EXPECT_TRUE(std::filesystem::is_directory(platform::ExecutableDir()));
}

TEST(ClockTest, FastClockCompressesSleeps) {
    platform::SetClock(std::make_shared<platform::FastClock>(1000));
    const uint64_t before = platform::NowMs();
    platform::SleepMs(5000); // 5 ms of real time
    EXPECT_GE(platform::NowMs() - before, 5000u);
    platform::SetClock(nullptr);
}

} // namespace
