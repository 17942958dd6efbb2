// The message popup over the main window: sizes, rows, texts, colours and images per display
// mode, the focus, and the answer of each button in both kinds.
#include "UiTestSupport.h"
#include "shell/Language.h"
#include "ui/CMainWnd.h"
#include "ui/CPopMSGDailog.h"
#include "uilib/CButtonUI.h"
#include "uilib/CEditUI.h"
#include "uilib/ModalHook.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <thread>

namespace {

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_PROGRAM_SKIN();
        main = new CMainWnd;
        main->Create(nullptr, L"main", UI_WNDSTYLE_DIALOG, 0);
    }
    void TearDown() override {
        uilib::SetModalHook({});
        delete main; // never closed: no final message, the test owns it
    }

    // Shows the popup through the main window; `inspect` sees it open, `press` closes it.
    int Show(int kind, const std::wstring& title, bool dark,
             const std::function<void(CPopMSGDailog&)>& inspect,
             const std::function<void(CPopMSGDailog&)>& press) {
        main->SetDarkMode(dark);
        bool seen = false;
        uilib::SetModalHook([&](CWindowWnd& window) {
            auto* popup = dynamic_cast<CPopMSGDailog*>(&window);
            ASSERT_NE(popup, nullptr);
            seen = true;
            overlayShown = main->m_pm.FindControl(L"disabled_window")->IsVisible();
            inspect(*popup);
            press(*popup);
        });
        const int result = main->ShowMessage(L"The message", kind, title);
        EXPECT_TRUE(seen);
        return result;
    }

    static void Click(CPopMSGDailog& popup, const wchar_t* name) {
        QTest::mouseClick(popup.m_pm.FindControl(name), Qt::LeftButton);
    }
    static CButtonUI* Button(CPopMSGDailog& popup, const wchar_t* name) {
        return dynamic_cast<CButtonUI*>(popup.m_pm.FindControl(name));
    }

    CMainWnd* main = nullptr;
    bool overlayShown = false;
};

TEST_F(PopupTest, EachButtonGivesItsAnswerInBothKinds) {
    const struct {
        int kind;
        const wchar_t* button;
        int expected;
    } cases[] = {
        {0, L"btn_pop_ok", 1},
        {0, L"btn_pop_canel", 0},
        {1, L"btn_pop_ok1", 1},
    };
    for (const auto& c : cases) {
        for (const std::wstring title : {L"", L"A title"}) {
            const int result = Show(
                c.kind, title, false, [](CPopMSGDailog&) {},
                [&](CPopMSGDailog& p) { Click(p, c.button); });
            EXPECT_EQ(result, c.expected)
                << c.kind << " " << QString::fromWCharArray(c.button).toStdString();
            EXPECT_TRUE(overlayShown) << "the main window is dimmed while the popup is up";
            EXPECT_FALSE(main->m_pm.FindControl(L"disabled_window")->IsVisible());
        }
    }
}

TEST_F(PopupTest, RowsAndSizeFollowTheTitleAndTheKind) {
    Show(
        0, L"", false,
        [](CPopMSGDailog& p) {
            EXPECT_EQ(p.GetClientWidget()->size(), QSize(420, 170));
            EXPECT_FALSE(p.m_pm.FindControl(L"popdlg")->IsVisible());
            EXPECT_EQ(p.m_pm.FindControl(L"hor_popdlg_text")->GetPos().height(), 100);
            EXPECT_EQ(p.m_pm.FindControl(L"popdlg_msg")->GetText(), L"The message");
            EXPECT_TRUE(p.m_pm.FindControl(L"okcancel")->IsVisible());
            EXPECT_FALSE(p.m_pm.FindControl(L"ok")->IsVisible());
            EXPECT_EQ(p.m_pm.FindControl(L"btn_pop_canel")->GetText(), LookupText(L"Btn_Cancel"));
            EXPECT_EQ(p.m_pm.FindControl(L"btn_pop_ok")->GetText(), LookupText(L"Btn_Confirm"));
            EXPECT_TRUE(p.m_pm.FindControl(L"btn_pop_ok")->IsFocused());
            // The button row sits below the message, inside the window.
            EXPECT_EQ(p.m_pm.FindControl(L"okcancel")->GetPos().bottom(), 169);
        },
        [](CPopMSGDailog& p) { Click(p, L"btn_pop_ok"); });

    Show(
        1, L"Too many attempts", false,
        [](CPopMSGDailog& p) {
            EXPECT_EQ(p.GetClientWidget()->size(), QSize(420, 280));
            EXPECT_TRUE(p.m_pm.FindControl(L"popdlg")->IsVisible());
            EXPECT_EQ(p.m_pm.FindControl(L"popdlg")->GetPos().height(), 60);
            EXPECT_EQ(p.m_pm.FindControl(L"popdlg_tilte")->GetText(), L"Too many attempts");
            EXPECT_EQ(p.m_pm.FindControl(L"hor_popdlg_text")->GetPos(), QRect(0, 60, 420, 150));
            EXPECT_FALSE(p.m_pm.FindControl(L"okcancel")->IsVisible());
            EXPECT_TRUE(p.m_pm.FindControl(L"ok")->IsVisible());
            EXPECT_EQ(p.m_pm.FindControl(L"btn_pop_ok1")->GetText(), L"OK");
            EXPECT_EQ(p.m_pm.FindControl(L"ok")->GetPos().bottom(), 279);
            EXPECT_TRUE(p.m_pm.FindControl(L"btn_pop_ok1")->IsFocused());
        },
        [](CPopMSGDailog& p) { Click(p, L"btn_pop_ok1"); });
}

TEST_F(PopupTest, ColoursAndImagesOfBothDisplayModes) {
    Show(
        0, L"Title", false,
        [](CPopMSGDailog& p) {
            EXPECT_EQ(p.m_pm.FindControl(L"main_bk")->GetBkColor(), 0xFFFFFFFFu);
            EXPECT_EQ(p.m_pm.FindControl(L"popdlg_msg")->GetTextColor(), 0xFF002F2Fu);
            EXPECT_EQ(p.m_pm.FindControl(L"popdlg_tilte")->GetTextColor(), 0xFF002F2Fu);
            EXPECT_EQ(Button(p, L"btn_pop_canel")->GetBkImage(), L"btn_warning.png");
            EXPECT_EQ(Button(p, L"btn_pop_canel")->GetTextColor(), 0xFF000000u);
            EXPECT_EQ(Button(p, L"btn_pop_ok")->GetBkImage(), L"btn_unlock.png");
            EXPECT_EQ(Button(p, L"btn_pop_ok")->GetTextColor(), 0xFFFFFFFFu);
        },
        [](CPopMSGDailog& p) { Click(p, L"btn_pop_canel"); });

    for (int kind : {0, 1}) {
        Show(
            kind, L"Title", true,
            [kind](CPopMSGDailog& p) {
                const wchar_t* confirm = kind == 1 ? L"btn_pop_ok1" : L"btn_pop_ok";
                EXPECT_EQ(p.m_pm.FindControl(L"main_bk")->GetBkColor(), 0xFF484848u);
                EXPECT_EQ(p.m_pm.FindControl(L"popdlg_msg")->GetTextColor(), 0xFFBABABAu);
                EXPECT_EQ(p.m_pm.FindControl(L"popdlg_tilte")->GetTextColor(), 0x26FFFFFFu);
                EXPECT_EQ(Button(p, L"btn_pop_canel")->GetBkImage(),
                          L"file='btncancel_black.png' corner='20,20,20,20'");
                EXPECT_EQ(Button(p, L"btn_pop_canel")->GetTextColor(), 0xFFBEBEBEu);
                EXPECT_EQ(Button(p, confirm)->GetNormalImage(),
                          L"file = 'btnSave_black.png' corner = '20,20,20,20'");
                EXPECT_EQ(Button(p, confirm)->GetPushedImage(),
                          L"file = 'btnSave_black_push.png' corner = '20,20,20,20'");
                EXPECT_EQ(Button(p, L"btn_pop_ok")->GetTextColor(), 0xFFBEBEBEu);
                EXPECT_EQ(Button(p, L"btn_pop_ok1")->GetTextColor(), 0xFFBEBEBEu);
            },
            [kind](CPopMSGDailog& p) { Click(p, kind == 1 ? L"btn_pop_ok1" : L"btn_pop_ok"); });
    }
}

TEST_F(PopupTest, KeyboardEnterConfirmsAndEscapeCancels) {
    EXPECT_EQ(Show(
                  0, L"", false, [](CPopMSGDailog&) {},
                  [](CPopMSGDailog& p) {
                      QTest::keyClick(p.m_pm.FindControl(L"btn_pop_ok"), Qt::Key_Return);
                  }),
              1);
    EXPECT_EQ(Show(
                  0, L"", false, [](CPopMSGDailog&) {},
                  [](CPopMSGDailog& p) {
                      QTest::keyClick(p.m_pm.FindControl(L"btn_pop_ok"), Qt::Key_Escape);
                  }),
              0)
        << "Escape must never confirm";
}

TEST_F(PopupTest, AskedFromAWorkerThreadTheUiThreadShowsItAndTheWorkerWaits) {
    std::thread::id shownOn;
    uilib::SetModalHook([&](CWindowWnd& window) {
        shownOn = std::this_thread::get_id();
        QTest::mouseClick(static_cast<CPopMSGDailog&>(window).m_pm.FindControl(L"btn_pop_ok1"),
                          Qt::LeftButton);
    });
    int answer = -1;
    std::thread worker([&] { answer = main->ShowMessage(L"From a worker", 1, L""); });
    for (int i = 0; i < 500 && answer == -1; ++i)
        ui_test::Pump(10);
    worker.join();
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(shownOn, std::this_thread::get_id());
}

} // namespace
