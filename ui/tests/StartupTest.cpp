// The entry of KelmoraFp through its system seam: the order of start-up, the second instance,
// a missing font, a missing skin; and the real single-instance mutex and raise channel.
#include "TestEnvironment.h"
#include "UiTestSupport.h"
#include "shell/KelmoraFpMain.h"
#include "shell/Language.h"
#include "ui/CMainWnd.h"
#include "ui/InstanceMutex.h"
#include "ui/PageIds.h"
#include "ui/ProgramResources.h"
#include "ui/ProgramSystem.h"
#include "ui/SecondStartChannel.h"
#include "uilib/CTabLayoutUI.h"
#include "uilib/ModalHook.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Records every call; resources come from the program unless taken away.
class FakeSystem : public KelmoraFpSystem {
public:
    void MakeWindowTopmost(std::wstring_view cls, std::wstring_view title) override {
        log.push_back(L"topmost " + std::wstring(cls) + L" " + std::wstring(title));
    }
    void RaiseWindow(std::wstring_view cls, std::wstring_view title) override {
        log.push_back(L"raise " + std::wstring(cls) + L" " + std::wstring(title));
    }
    MutexResult CreateInstanceMutex(std::wstring_view name) override {
        log.push_back(L"mutex " + std::wstring(name));
        return mutex;
    }
    void ListenForSecondStart(void*) override { log.push_back(L"listen"); }
    bool InitializeCom() override {
        log.push_back(L"com");
        return comWorks;
    }
    void UninitializeCom() override { log.push_back(L"uncom"); }
    std::optional<std::string> LoadResource(int id, const char* type) override {
        log.push_back(L"resource " + std::to_wstring(id));
        if (missing.count(id))
            return std::nullopt;
        if (id == 151 && skinIsGarbage)
            return std::string("not a zip");
        return LoadProgramResource(id, type);
    }
    void ShowMessageBox(std::wstring_view text, std::wstring_view caption) override {
        boxes.push_back({std::wstring(text), std::wstring(caption)});
    }

    bool Logged(const std::wstring& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }
    size_t IndexOf(const std::wstring& entry) const {
        return static_cast<size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
    }

    MutexResult mutex = MutexResult::Created;
    bool comWorks = true;
    bool skinIsGarbage = false;
    std::set<int> missing;
    std::vector<std::wstring> log;
    std::vector<std::pair<std::wstring, std::wstring>> boxes;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_PROGRAM_SKIN();
        // The main window, when it opens, is looked at and closed as a user would.
        uilib::SetModalHook([this](CWindowWnd& window) {
            auto* main = dynamic_cast<CMainWnd*>(&window);
            if (!main)
                return;
            ++windowsShown;
            auto* tab = dynamic_cast<CTabLayoutUI*>(main->m_pm.FindControl(L"TabMain"));
            shownPage = tab ? tab->GetCurSel() : -1;
            disconnectedTitle = main->m_pm.FindControl(L"disconnected_title")->GetText();
            windowTitle = main->GetWidget()->windowTitle().toStdWString();
            main->Close(1);
        });
    }
    void TearDown() override {
        uilib::SetModalHook({});
        ui_test::InstallProgramSkin(); // the entry's teardown dropped it
    }

    int Run(FakeSystem& system) {
        static int argc = 1;
        static char name[] = "KelmoraFp";
        static char* argv[] = {name, nullptr};
        return KelmoraFpMain(system, argc, argv);
    }

    int windowsShown = 0;
    int shownPage = -1;
    std::wstring disconnectedTitle;
    std::wstring windowTitle;
};

TEST_F(StartupTest, FirstStartRunsInOrderAndShowsTheDisconnectedPage) {
    FakeSystem system;
    EXPECT_EQ(Run(system), 0);
    const std::wstring appName = LookupText(L"AppName");
    ASSERT_FALSE(appName.empty());
    const std::vector<std::wstring> expectedOrder = {L"topmost MainWnd " + appName,
                                                     L"mutex KelmoraFp",
                                                     L"com",
                                                     L"resource 151",
                                                     L"resource 145",
                                                     L"resource 158",
                                                     L"listen",
                                                     L"uncom"};
    for (size_t i = 0; i + 1 < expectedOrder.size(); ++i)
        EXPECT_LT(system.IndexOf(expectedOrder[i]), system.IndexOf(expectedOrder[i + 1]))
            << QString::fromStdWString(expectedOrder[i]).toStdString();
    EXPECT_TRUE(system.Logged(L"uncom"));
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(shownPage, static_cast<int>(Page_Disconnected));
    EXPECT_EQ(disconnectedTitle, LookupText(L"Other_DisConnect_Title"));
    EXPECT_EQ(windowTitle, appName);
}

TEST_F(StartupTest, AMissingFontIsReportedOnceAndTheWindowStillOpens) {
    FakeSystem system;
    system.missing = {147};
    EXPECT_EQ(Run(system), 0);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].first, L"加载内存字体错误");
    EXPECT_EQ(system.boxes[0].second, L"");
    EXPECT_TRUE(system.Logged(L"resource 145"));
    EXPECT_TRUE(system.Logged(L"resource 146"));
    EXPECT_TRUE(system.Logged(L"resource 147"));
    for (int later : {148, 153, 154, 155, 156, 157, 158})
        EXPECT_FALSE(system.Logged(L"resource " + std::to_wstring(later))) << later;
    EXPECT_EQ(windowsShown, 1);
}

TEST_F(StartupTest, SecondStartRaisesTheFirstWindowAndEndsAtOnce) {
    FakeSystem system;
    system.mutex = KelmoraFpSystem::MutexResult::AlreadyExists;
    EXPECT_EQ(Run(system), 0);
    const std::wstring appName = LookupText(L"AppName");
    EXPECT_EQ(system.log,
              (std::vector<std::wstring>{L"topmost MainWnd " + appName, L"mutex KelmoraFp",
                                         L"raise KelmoraFp " + appName}));
    EXPECT_EQ(windowsShown, 0);
}

TEST_F(StartupTest, WhatEndsTheStartSilently) {
    const struct {
        const char* what;
        bool comWorks;
        bool skinMissing;
        bool skinIsGarbage;
    } cases[] = {
        {"COM fails", false, false, false},
        {"no skin resource", true, true, false},
        {"skin is not a zip", true, false, true},
    };
    for (const auto& c : cases) {
        FakeSystem system;
        system.comWorks = c.comWorks;
        if (c.skinMissing)
            system.missing = {151};
        system.skinIsGarbage = c.skinIsGarbage;
        EXPECT_EQ(Run(system), 0) << c.what;
        EXPECT_EQ(windowsShown, 0) << c.what;
        EXPECT_FALSE(system.Logged(L"resource 145")) << c.what << ": no fonts";
        EXPECT_TRUE(system.boxes.empty()) << c.what;
        ui_test::InstallProgramSkin();
    }
}

TEST_F(StartupTest, AFailingMutexRunsAsTheFirstInstance) {
    FakeSystem system;
    system.mutex = KelmoraFpSystem::MutexResult::Failed;
    EXPECT_EQ(Run(system), 0);
    EXPECT_EQ(windowsShown, 1);
}

TEST(InstanceMutexTest, HeldUntilReleasedEvenAcrossProcesses) {
    const auto folder = testing_env::MakeTempDir("mutex");
    {
        InstanceMutex first(L"KelmoraFp", folder);
        EXPECT_EQ(first.Create(), InstanceMutex::Result::Created);
        InstanceMutex second(L"KelmoraFp", folder);
        EXPECT_EQ(second.Create(), InstanceMutex::Result::AlreadyExists);
        InstanceMutex other(L"Other", folder);
        EXPECT_EQ(other.Create(), InstanceMutex::Result::Created);
    }
    // A process that dies holding it (no clean-up of its own) leaves it free.
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    if (child == 0) {
        auto* held = new InstanceMutex(L"KelmoraFp", folder);
        const char result = held->Create() == InstanceMutex::Result::Created ? 'y' : 'n';
        (void)!write(toParent[1], &result, 1);
        char wait;
        (void)!read(toChild[0], &wait, 1); // until the parent has looked
        _exit(0);
    }
    char result = 0;
    ASSERT_EQ(read(toParent[0], &result, 1), 1);
    EXPECT_EQ(result, 'y');
    {
        InstanceMutex whileHeld(L"KelmoraFp", folder);
        EXPECT_EQ(whileHeld.Create(), InstanceMutex::Result::AlreadyExists);
    }
    (void)!write(toChild[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        close(fd);
    InstanceMutex afterDeath(L"KelmoraFp", folder);
    EXPECT_EQ(afterDeath.Create(), InstanceMutex::Result::Created);
}

TEST(SecondStartTest, ASecondStartRaisesTheFirstInstancesWindow) {
    if (!ui_test::InstallProgramSkin())
        GTEST_SKIP() << "this build embeds no skin";
    const auto folder = testing_env::MakeTempDir("instance");
    CMainWnd* window = new CMainWnd;
    window->Create(nullptr, L"main", UI_WNDSTYLE_DIALOG, 0);
    window->GetWidget()->showMinimized();

    ProgramSystem first(folder);
    ASSERT_EQ(first.CreateInstanceMutex(L"KelmoraFp"), KelmoraFpSystem::MutexResult::Created);
    first.ListenForSecondStart(window->GetHWND());

    ProgramSystem second(folder);
    EXPECT_EQ(second.CreateInstanceMutex(L"KelmoraFp"),
              KelmoraFpSystem::MutexResult::AlreadyExists);
    std::thread knock([&] { second.RaiseWindow(L"KelmoraFp", L""); });
    knock.join();
    for (int i = 0; i < 200 && window->GetWidget()->isMinimized(); ++i)
        ui_test::Pump(10);
    EXPECT_FALSE(window->GetWidget()->isMinimized());
    EXPECT_TRUE(window->GetWidget()->isVisible());
    delete window;

    // Nobody listening: the knock fails quietly.
    EXPECT_FALSE(SecondStartChannel(folder / "nobody.socket").Knock());
}

} // namespace
