// Windows: messages from other threads, modal runs and their results, timers on the program's
// clock, keys before the focused control, the quit message, menus, memory fonts.
#include "SkinFixture.h"
#include "TestWindow.h"
#include "platform/Clock.h"
#include "uilib/CEditUI.h"
#include "uilib/CMenuWnd.h"
#include "uilib/DesktopServices.h"
#include "uilib/ModalHook.h"
#include "uilib/UiThread.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace uilib_test;

namespace {

const char* const kWindow = R"(<Window size="200,100" shadow="true" roundcorner="6">
  <Container>
    <Edit name="first" pos="0,0,100,30" />
    <Edit name="second" pos="0,40,100,30" />
    <Button name="closebtn" pos="170,0,30,30" />
  </Container>
</Window>)";

const char* const kMenu = R"(<Window size="160,120" bkcolor="#FFFFFFFF" shadow="true">
  <Font id="0" name="Helvetica Now Text Light" size="15" />
  <Container>
    <Button name="Menu_Test1" pos="0,0,160,30" text="About" hotbkcolor="#FF2F363E" />
    <Option name="Menu_Test2" pos="0,30,160,30" selected="true"
            selectedimage="file='dot.png' dest='150,13,7,8'" />
    <Option name="Menu_Test3" pos="0,60,160,30" selected="true"
            selectedimage="file='dot.png' dest='150,13,7,8'" />
    <Button name="Menu_Test4" pos="0,90,160,30" />
  </Container>
</Window>)";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallSkin({{"win.xml", kWindow}, {"menu.xml", kMenu}, {"dot.png", Png(7, 8, Qt::red)}});
    }
    void TearDown() override {
        uilib::SetModalHook({});
        platform::SetClock(std::make_shared<platform::SystemClock>());
    }
};

TEST_F(WindowTest, PostedMessagesAreQueuedAndSentOnesWaitForTheirAnswer) {
    TestWindow window(L"win.xml");
    const auto hwnd = window.Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(CWindowWnd::FromHandle(hwnd), &window);
    window.onMessage = [](uint32_t m, platform::WParam w, platform::LParam, bool& handled) {
        handled = m >= WM_USER;
        return static_cast<platform::LParam>(w * 2);
    };

    // Posted from this thread: nothing happens until the loop runs, then in order.
    EXPECT_TRUE(platform::PostToWindow(hwnd, WM_USER + 1003, 1, 0));
    EXPECT_TRUE(platform::PostToWindow(hwnd, WM_USER + 1004, 2, 0));
    EXPECT_TRUE(window.messages.empty());
    Pump();
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].id, WM_USER + 1003u);
    EXPECT_EQ(window.messages[1].wParam, 2u);

    // Sent from this thread: handled at once.
    EXPECT_EQ(platform::SendToWindow(hwnd, WM_USER + 1001, 21, 0), 42);

    // Sent from a worker: it waits until the UI thread has handled the message.
    std::atomic<bool> returned{false};
    platform::LParam answer = 0;
    std::thread worker([&] {
        answer = platform::SendToWindow(hwnd, WM_USER + 1002, 5, 0);
        returned = true;
    });
    QElapsedTimer t;
    t.start();
    while (window.messages.size() < 4 && t.elapsed() < 5000)
        QTest::qWait(5);
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(answer, 10);
    ASSERT_EQ(window.messages.size(), 4u);
    EXPECT_EQ(window.messages.back().id, WM_USER + 1002u);

    // A posting worker: no wait, delivered later.
    std::thread poster([&] { platform::PostToWindow(hwnd, WM_USER + 1101, 7, 8); });
    poster.join();
    Pump();
    EXPECT_EQ(window.messages.back().lParam, 8);
}

TEST_F(WindowTest, MessagesToAWindowThatIsGoneAreDropped) {
    platform::WindowHandle hwnd;
    {
        TestWindow window(L"win.xml");
        hwnd = window.Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0);
    }
    EXPECT_EQ(CWindowWnd::FromHandle(hwnd), nullptr);
    EXPECT_FALSE(platform::PostToWindow(hwnd, WM_USER + 1, 0, 0));
    platform::LParam answer = -1;
    std::thread worker([&] { answer = platform::SendToWindow(hwnd, WM_USER + 1, 0, 0); });
    worker.join();
    EXPECT_EQ(answer, 0);

    // A new window never answers to the old handle.
    TestWindow other(L"win.xml");
    EXPECT_NE(other.Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0), hwnd);
}

TEST_F(WindowTest, ModalRunReturnsTheValueGivenToClose) {
    for (int result : {0, 1, 7}) {
        auto* window = new TestWindow(L"win.xml");
        window->Create(nullptr, L"modal", UI_WNDSTYLE_DIALOG, 0);
        window->CenterWindow();
        int finals = -1;
        uilib::SetModalHook([&](CWindowWnd& w) {
            auto& t = static_cast<TestWindow&>(w);
            EXPECT_TRUE(t.GetWidget()->isVisible());
            t.Close(result);
        });
        EXPECT_EQ(window->ShowModal(), result);
        finals = window->finals;
        EXPECT_EQ(finals, 1);
        EXPECT_EQ(window->GetHWND(), nullptr);
        delete window;
    }
}

TEST_F(WindowTest, BaseClickHandlingClosesOnCloseButtonAndEscapeCancels) {
    auto* window = new TestWindow(L"win.xml");
    window->Create(nullptr, L"modal", UI_WNDSTYLE_DIALOG, 0);
    uilib::SetModalHook([](CWindowWnd& w) {
        QTest::mouseClick(static_cast<TestWindow&>(w).Find(L"closebtn"), Qt::LeftButton);
    });
    EXPECT_EQ(window->ShowModal(), 1);
    delete window;

    window = new TestWindow(L"win.xml");
    window->Create(nullptr, L"modal", UI_WNDSTYLE_DIALOG, 0);
    uilib::SetModalHook([](CWindowWnd& w) {
        auto& t = static_cast<TestWindow&>(w);
        QTest::keyClick(t.Find<CEditUI>(L"first")->LineEdit(), Qt::Key_Escape);
    });
    EXPECT_EQ(window->ShowModal(), 0);
    delete window;
}

TEST_F(WindowTest, KeysReachTheWindowBeforeTheFocusedEdit) {
    TestWindow window(L"win.xml");
    window.Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0);
    auto* first = window.Find<CEditUI>(L"first");
    auto* second = window.Find<CEditUI>(L"second");
    first->SetFocus();

    QTest::keyClicks(first->LineEdit(), "ab");
    QTest::keyClick(first->LineEdit(), Qt::Key_Return);
    EXPECT_EQ(window.keys, (std::vector<uint32_t>{'A', 'B', VK_RETURN}));
    EXPECT_EQ(window.chars, (std::vector<uint32_t>{'a', 'b', 13}));
    EXPECT_EQ(first->GetText(), L"ab");

    // A Tab the window takes is consumed: the focus stays where the window leaves it.
    window.consumeTab = true;
    QTest::keyClick(first->LineEdit(), Qt::Key_Tab);
    EXPECT_EQ(window.keys.back(), VK_TAB);
    EXPECT_TRUE(first->IsFocused());
    second->SetFocus();
    EXPECT_TRUE(second->IsFocused());
}

TEST_F(WindowTest, TimersFollowTheProgramClockUntilKilled) {
    platform::SetClock(std::make_shared<platform::FastClock>(100));
    TestWindow window(L"win.xml");
    window.Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0);
    ASSERT_TRUE(window.SetTimer(5, 5000)); // 50 ms of real time
    QElapsedTimer t;
    t.start();
    auto ticks = [&] {
        size_t n = 0;
        for (const auto& m : window.messages)
            n += m.id == WM_TIMER && m.wParam == 5;
        return n;
    };
    while (ticks() < 2 && t.elapsed() < 3000)
        QTest::qWait(5);
    EXPECT_EQ(ticks(), 2u);
    EXPECT_GE(platform::NowMs(), 10000u);
    window.KillTimer(5);
    Pump(150);
    EXPECT_EQ(ticks(), 2u);
}

TEST_F(WindowTest, QuitMessageEndsTheModalRunAndTheMessageLoop) {
    auto* window = new TestWindow(L"win.xml");
    window->Create(nullptr, L"w", UI_WNDSTYLE_DIALOG, 0);
    uilib::SetModalHook([](CWindowWnd&) { CPaintManagerUI::PostQuit(-1); });
    window->ShowModal();
    EXPECT_TRUE(CPaintManagerUI::QuitPosted());
    EXPECT_EQ(window->finals, 0) << "the quit message is not the window's end";
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), -1) << "returns at once";
    CPaintManagerUI::Term();
    EXPECT_EQ(window->GetHWND(), nullptr);
    EXPECT_FALSE(CPaintManagerUI::QuitPosted());
    delete window;
    InstallSkin({{"win.xml", kWindow}});

    // From a worker thread.
    std::thread worker([] { CPaintManagerUI::PostQuit(3); });
    worker.join();
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 3);
    CPaintManagerUI::Term();
}

TEST_F(WindowTest, WorkersRunOnTheUiThreadAndWait) {
    EXPECT_TRUE(uilib::IsUiThread());
    std::atomic<bool> onUi{false};
    std::thread worker([&] {
        EXPECT_FALSE(uilib::IsUiThread());
        uilib::RunOnUiThread([&] { onUi = uilib::IsUiThread(); });
    });
    QElapsedTimer t;
    t.start();
    while (!onUi && t.elapsed() < 5000)
        QTest::qWait(5);
    worker.join();
    EXPECT_TRUE(onUi);
}

TEST_F(WindowTest, MenuClicksReachTheOwnerAndCheckMarksSurviveANewMenu) {
    TestWindow owner(L"win.xml");
    owner.Create(nullptr, L"owner", UI_WNDSTYLE_DIALOG, 0);
    owner.onMessage = [](uint32_t m, platform::WParam, platform::LParam, bool&) {
        if (m == WM_MENUCLICK) {
            EXPECT_EQ(CMenuWnd::GetClickedMenuName(), L"Menu_Test2");
        }
        return 0;
    };
    MenuCheckMap checks;

    CMenuWnd* menu = CMenuWnd::CreateMenu(nullptr, L"menu.xml", QPoint(400, 300), &owner.m_pm,
                                          &checks, CMenuWnd::AlignRight);
    ASSERT_NE(menu->FindMenuElement(L"Menu_Test4"), nullptr);
    EXPECT_EQ(menu->GetWidget()->geometry().right() - 12 + 1, 400) << "right-aligned";
    EXPECT_TRUE(menu->FindMenuElement(L"Menu_Test2")->IsChecked()) << "the layout's mark";
    menu->FindMenuElement(L"Menu_Test3")->SetChecked(false);
    QWidget* entry = menu->FindMenuElement(L"Menu_Test2");
    QTest::mouseClick(entry, Qt::LeftButton);
    ASSERT_FALSE(owner.messages.empty());
    EXPECT_EQ(owner.messages.back().id, WM_MENUCLICK);
    EXPECT_TRUE(menu->FindMenuElement(L"Menu_Test2")->IsChecked()) << "a click marks nothing";
    menu->FindMenuElement(L"Menu_Test2")->SetChecked(false);
    Pump(); // the menu closes and goes

    menu = CMenuWnd::CreateMenu(nullptr, L"menu.xml", QPoint(10, 10), &owner.m_pm, &checks, 0);
    EXPECT_FALSE(menu->FindMenuElement(L"Menu_Test2")->IsChecked());
    EXPECT_FALSE(menu->FindMenuElement(L"Menu_Test3")->IsChecked());
    EXPECT_FALSE(menu->FindMenuElement(L"Menu_Test1")->IsChecked());
    menu->FindMenuElement(L"Menu_Test3")->SetChecked(true);
    menu->Close();
    Pump();
    EXPECT_TRUE(checks[L"Menu_Test3"]);
}

TEST_F(WindowTest, MemoryFontsStandForTheLayoutsFamilies) {
    QFile file(QStringLiteral("/usr/share/fonts/opentype/inter/Inter-Light.otf"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "fonts-inter is not installed";
    EXPECT_EQ(CPaintManagerUI::AddMemoryFont("not a font", QStringLiteral("X"), 400), 0);
    const int handle = CPaintManagerUI::AddMemoryFont(
        file.readAll(), QStringLiteral("Helvetica Now Text Light"), QFont::Light);
    ASSERT_GT(handle, 0);
    const QFont font =
        CPaintManagerUI::MakeFont(QStringLiteral("Helvetica Now Text Light"), 15, false, false);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Inter"));
    EXPECT_EQ(QFontInfo(font).pixelSize(), 15);
    CPaintManagerUI::RemoveMemoryFont(handle);
    EXPECT_NE(QFontInfo(CPaintManagerUI::MakeFont(QStringLiteral("Helvetica Now Text Light"), 15,
                                                  false, false))
                  .family(),
              QStringLiteral("Inter"));
}

} // namespace

namespace {

TEST(DesktopServicesTest, ClipboardUrlsAndFolderDialogThroughTheirHooks) {
    uilib_test::EnsureUi();
    ASSERT_TRUE(uilib::SetClipboardText(L"support@example.test"));
    EXPECT_EQ(uilib::GetClipboardText(), L"support@example.test");
    const std::wstring longText(300, L'x'); // no fixed-size block to overrun
    ASSERT_TRUE(uilib::SetClipboardText(longText));
    EXPECT_EQ(uilib::GetClipboardText(), longText);

    std::wstring opened;
    uilib::SetOpenUrlHook([&](std::wstring_view url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(uilib::OpenUrl(L"https://example.test/"));
    EXPECT_EQ(opened, L"https://example.test/");
    uilib::SetOpenUrlHook({});

    uilib::SetChooseFolderHook([](std::wstring_view) { return std::optional<std::wstring>(); });
    EXPECT_FALSE(uilib::ChooseFolder(nullptr, L"Download to"));
    uilib::SetChooseFolderHook([](std::wstring_view title) {
        return std::optional<std::wstring>(L"/tmp/" + std::wstring(title));
    });
    EXPECT_EQ(uilib::ChooseFolder(nullptr, L"x"), L"/tmp/x");
    uilib::SetChooseFolderHook({});
}

} // namespace
