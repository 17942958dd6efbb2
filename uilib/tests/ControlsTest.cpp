// Controls built from layouts and driven by name: what the window code reads and writes.
#include "SkinFixture.h"
#include "TestWindow.h"
#include "uilib/CEditUI.h"
#include "uilib/CGifAnimUI.h"
#include "uilib/CListUI.h"
#include "uilib/COptionUI.h"
#include "uilib/CProgressUI.h"
#include "uilib/CTabLayoutUI.h"
#include "uilib/CTextUI.h"
#include "uilib/LayoutValues.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace uilib_test;

namespace {

const char* const kMain = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" caption="30" roundcorner="4" bkcolor="#FF102030">
  <Font id="0" name="Sans" size="12" />
  <Font id="1" name="Sans" size="20" bold="true" />
  <Container name="root" bkcolor="#FFFFFFFF">
    <Label name="title" pos="10,10,200,30" text="Hello" font="1" textcolor="#FF002F2F" />
    <Button name="ok" pos="10,50,100,40" text="OK" normalimage="file='btn.png' corner='4,4,4,4'"
            disabledimage="btn_off.png" textcolor="#FFFFFFFF" disabledtextcolor="#FF999999" />
    <Button name="hidden_btn" pos="120,50,40,40" visible="false" />
    <Button name="off_btn" pos="170,50,40,40" enabled="false" tag="7" userdata="x" />
    <Edit name="pwd" pos="10,100,150,30" password="true" maxchar="5" tipvalue="Password"
          tipvaluecolor="#FFAAAAAA" nativebkcolor="#FF2A2A2A" textcolor="#FFFFFFFF" />
    <Option name="show" pos="170,100,30,30" normalimage="eye.png" selectedimage="eye_on.png" />
    <Option name="g1" pos="210,100,20,20" group="g" selected="true" />
    <Option name="g2" pos="240,100,20,20" group="g" />
    <Progress name="bar" pos="10,140,200,10" min="0" max="200" value="50"
              bkimage="bar_bk.png" foreimage="bar_fill.png" />
    <TabLayout name="tabs" pos="220,140,60,40" selectedid="1">
      <Container name="page0" bkcolor="#FFFF0000" />
      <Container name="page1" bkcolor="#FF00FF00"><Label name="onpage1" text="p1" /></Container>
    </TabLayout>
    <Text name="links" pos="10,160,200,30" showhtml="true" align="left"
          text="Visit {a https://example.test/}our site{/a} or {a mailto:x@y.test}mail{/a}" />
    <List name="list" pos="10,200,200,100" itemselectedbkcolor="#FF00BFB2" itemhotbkcolor="#FF333333" />
    <Button name="closebtn" pos="270,0,30,30" />
  </Container>
</Window>)";

const char* const kItem = R"(<Container name="DeviceItem" pos="0,0,200,30" bkcolor="#FF808080">
  <Label name="item_label" pos="5,5,100,20" />
  <Button name="item_btn" pos="150,5,40,20" />
</Container>)";

std::map<std::string, QByteArray> Files() {
    return {{"main.xml", kMain},
            {"item.xml", kItem},
            {"btn.png", Png(20, 20, Qt::blue, Qt::red, 4)},
            {"btn_off.png", Png(8, 8, Qt::gray)},
            {"eye.png", Png(8, 8, Qt::black)},
            {"eye_on.png", Png(8, 8, Qt::yellow)},
            {"bar_bk.png", Png(8, 8, Qt::white)},
            {"bar_fill.png", Png(8, 8, Qt::darkCyan)},
            {"hi.png", Png(4, 4, Qt::red)},
            {"hi@2x.png", Png(8, 8, Qt::blue)}};
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallSkin(Files());
        window = std::make_unique<TestWindow>(L"main.xml");
        window->Create(nullptr, L"test", UI_WNDSTYLE_DIALOG, 0);
        Pump();
    }
    void TearDown() override { window.reset(); }

    std::unique_ptr<TestWindow> window;
};

TEST(LayoutValuesTest, ColoursRectsAndImageStrings) {
    EXPECT_EQ(uilib::ParseColor("#FF00BFB2"), 0xFF00BFB2u);
    EXPECT_EQ(uilib::ParseColor("#26FFFFFF"), 0x26FFFFFFu);
    EXPECT_EQ(uilib::ParseColor("#102030"), 0xFF102030u);
    EXPECT_FALSE(uilib::ParseColor("#12345"));
    EXPECT_FALSE(uilib::ParseColor("#GG0000FF"));
    EXPECT_EQ(uilib::ParseRect("1, 2,3,4"), QRect(1, 2, 3, 4));
    EXPECT_FALSE(uilib::ParseRect("1,2,3"));

    struct Case {
        const char* text;
        const char* file;
        QMargins corner;
        bool hasDest;
    } cases[] = {
        {"back.png", "back.png", {}, false},
        {"file='btn_unlock.png' corner='20,20,20,20'", "btn_unlock.png", {20, 20, 20, 20}, false},
        {"file = 'btnSave_black.png' corner = '20,20,20,20'",
         "btnSave_black.png",
         {20, 20, 20, 20},
         false},
        {"file='progress_fk1.png' corner='10,0,0,0'", "progress_fk1.png", {10, 0, 0, 0}, false},
        {"file='dot.png' dest='150,13,7,8'", "dot.png", {}, true},
    };
    for (const Case& c : cases) {
        const auto parsed = uilib::ParseImageString(c.text);
        ASSERT_TRUE(parsed) << c.text;
        EXPECT_EQ(parsed->file, QString(c.file)) << c.text;
        EXPECT_EQ(parsed->corner, c.corner) << c.text;
        EXPECT_EQ(parsed->dest.has_value(), c.hasDest) << c.text;
    }
    EXPECT_FALSE(uilib::ParseImageString(""));
    EXPECT_FALSE(uilib::ParseImageString("corner='1,1,1,1'"));
}

TEST_F(ControlsTest, LayoutGivesNamedControlsWithTheirAttributes) {
    EXPECT_EQ(window->inits, 1);
    EXPECT_EQ(window->GetClientWidget()->size(), QSize(300, 200));
    EXPECT_EQ(window->Find(L"nothing_here"), nullptr);

    CControlUI* title = window->Find(L"title");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetClass(), L"Label");
    EXPECT_EQ(title->GetText(), L"Hello");
    EXPECT_EQ(title->GetTextColor(), 0xFF002F2Fu);
    EXPECT_EQ(title->GetPos(), QRect(10, 10, 200, 30));

    EXPECT_FALSE(window->Find(L"hidden_btn")->IsVisible());
    EXPECT_TRUE(window->Find(L"ok")->IsVisible());
    EXPECT_FALSE(window->Find(L"off_btn")->IsEnabled());
    EXPECT_EQ(window->Find(L"off_btn")->GetTag(), 7u);
    EXPECT_EQ(window->Find(L"off_btn")->GetUserData(), L"x");

    auto* edit = window->Find<CEditUI>(L"pwd");
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->IsPasswordMode());
    EXPECT_EQ(edit->GetMaxChar(), 5);
    EXPECT_EQ(edit->GetTipValue(), L"Password");
    EXPECT_EQ(edit->GetNativeEditBkColor(), 0xFF2A2A2Au);

    EXPECT_FALSE(window->Find<COptionUI>(L"show")->IsSelected());
    EXPECT_TRUE(window->Find<COptionUI>(L"g1")->IsSelected());
    EXPECT_EQ(window->Find<CProgressUI>(L"bar")->GetValue(), 50);
    EXPECT_EQ(window->Find<CTabLayoutUI>(L"tabs")->GetCurSel(), 1);
    // Controls on pages and in containers are found like the others.
    EXPECT_NE(window->Find(L"onpage1"), nullptr);
}

TEST_F(ControlsTest, SettersChangeWhatIsReadAndDrawn) {
    CControlUI* root = window->Find(L"root");
    root->SetBkColor(0xFF121212);
    EXPECT_EQ(PixelAt(root, 295, 195), QColor(0x12, 0x12, 0x12));

    auto* ok = window->Find<CButtonUI>(L"ok");
    // Nine-slice: the red border stays 4 pixels wide at any size, the blue centre stretches.
    EXPECT_EQ(PixelAt(ok, 1, 1), QColor(Qt::red));
    EXPECT_EQ(PixelAt(ok, 50, 20), QColor(Qt::blue));
    EXPECT_EQ(PixelAt(ok, 98, 20), QColor(Qt::red));
    ok->SetEnabled(false);
    EXPECT_FALSE(ok->IsEnabled());
    EXPECT_EQ(PixelAt(ok, 50, 20), QColor(Qt::gray)); // the disabled image
    ok->SetEnabled(true);
    ok->SetNormalImage(L"");
    ok->SetBkColor(0xFF00FF00);
    EXPECT_EQ(PixelAt(ok, 1, 1), QColor(Qt::green));

    ok->SetText(L"Confirm");
    ok->SetTextColor(0xFF000000);
    ok->SetDisabledTextColor(0xFFBABABA);
    EXPECT_EQ(ok->GetText(), L"Confirm");
    EXPECT_EQ(ok->GetDisabledTextColor(), 0xFFBABABAu);
    ok->SetVisible(false);
    EXPECT_FALSE(ok->IsVisible());
    ok->SetToolTip(L"tip");
    EXPECT_EQ(ok->GetToolTip(), L"tip");

    auto* bar = window->Find<CProgressUI>(L"bar");
    bar->SetValue(100); // half of 0..200
    EXPECT_EQ(PixelAt(bar, 90, 5), QColor(Qt::darkCyan));
    EXPECT_EQ(PixelAt(bar, 110, 5), QColor(Qt::white));
    bar->SetValue(500); // beyond max: full, not past the end
    EXPECT_EQ(PixelAt(bar, 199, 5), QColor(Qt::darkCyan));

    // Screens scaled above 100 % take the image of twice the size where the skin has one.
    CControlUI* title = window->Find(L"title");
    title->SetBkImage(L"hi.png");
    EXPECT_EQ(PixelAt(title, 5, 5), QColor(Qt::red));
    QPixmap large(title->size() * 2);
    large.setDevicePixelRatio(2.0);
    large.fill(Qt::transparent);
    title->render(&large);
    EXPECT_EQ(large.toImage().pixelColor(10, 10), QColor(Qt::blue));

    // A missing image draws nothing instead of failing.
    window->Find(L"title")->SetBkImage(L"file='nowhere.png' corner='2,2,2,2'");
    window->Find(L"title")->grab();
}

TEST_F(ControlsTest, EditTypingPasswordModeAndFocus) {
    auto* edit = window->Find<CEditUI>(L"pwd");
    edit->SetText(L"abc");
    EXPECT_EQ(edit->GetText(), L"abc");
    EXPECT_EQ(window->Count(L"textchanged"), 0u) << "setting text is not typing";

    edit->SetText(L"");
    edit->SetFocus();
    EXPECT_TRUE(edit->IsFocused());
    QTest::keyClicks(edit->LineEdit(), "1234567");
    EXPECT_EQ(edit->GetText(), L"12345") << "max length";
    EXPECT_GE(window->Count(L"textchanged"), 5u);
    EXPECT_EQ(window->notes.back().sender, L"pwd");
    EXPECT_EQ(edit->LineEdit()->displayText(), QString(5, edit->LineEdit()->displayText()[0]));

    edit->SetPasswordMode(false);
    EXPECT_FALSE(edit->IsPasswordMode());
    EXPECT_EQ(edit->LineEdit()->displayText(), QStringLiteral("12345"));

    edit->SetTipValue(L"New tip");
    EXPECT_EQ(edit->LineEdit()->placeholderText(), QStringLiteral("New tip"));
    edit->SetSel(0, -1);
    EXPECT_EQ(edit->LineEdit()->selectedText(), QStringLiteral("12345"));

    window->Find(L"ok")->SetFocus();
    EXPECT_FALSE(edit->IsFocused());
    EXPECT_TRUE(window->Find(L"ok")->IsFocused());
    EXPECT_EQ(window->Count(L"killfocus"), 1u);
}

TEST_F(ControlsTest, ClicksRaiseNotificationsWithSenderAndMousePosition) {
    QWidget* ok = window->Find(L"ok");
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 6));
    ASSERT_EQ(window->Count(L"click"), 1u);
    EXPECT_EQ(window->notes.back().sender, L"ok");
    EXPECT_EQ(window->notes.back().mouse, QPoint(15, 56)) << "client coordinates";

    // Disabled and hidden controls raise nothing.
    QTest::mouseClick(window->Find(L"off_btn"), Qt::LeftButton);
    window->Find(L"ok")->SetEnabled(false);
    EXPECT_FALSE(window->Find(L"ok")->Activate());
    EXPECT_EQ(window->Count(L"click"), 1u);
}

TEST_F(ControlsTest, OptionsFlipAndGroupsStayExclusive) {
    auto* show = window->Find<COptionUI>(L"show");
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_TRUE(show->IsSelected());
    EXPECT_EQ(PixelAt(show, 15, 15), QColor(Qt::yellow)) << "selected image";
    EXPECT_EQ(window->Count(L"click"), 1u);
    EXPECT_EQ(window->Count(L"selectchanged"), 1u);
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_FALSE(show->IsSelected());
    EXPECT_EQ(PixelAt(show, 15, 15), QColor(Qt::black));

    // Set from code: the change is announced too (the window reacts the same way).
    show->Selected(true);
    EXPECT_EQ(window->Count(L"selectchanged"), 3u);
    show->Selected(true);
    EXPECT_EQ(window->Count(L"selectchanged"), 3u) << "no change, no notification";
    show->SetSelectedImage(L"btn_off.png");
    EXPECT_EQ(PixelAt(show, 15, 15), QColor(Qt::gray));

    auto* g1 = window->Find<COptionUI>(L"g1");
    auto* g2 = window->Find<COptionUI>(L"g2");
    QTest::mouseClick(g2, Qt::LeftButton);
    EXPECT_TRUE(g2->IsSelected());
    EXPECT_FALSE(g1->IsSelected());
    QTest::mouseClick(g2, Qt::LeftButton);
    EXPECT_TRUE(g2->IsSelected()) << "a group's selected option stays selected";
}

TEST_F(ControlsTest, TabLayoutShowsExactlyTheSelectedPage) {
    auto* tabs = window->Find<CTabLayoutUI>(L"tabs");
    EXPECT_TRUE(window->Find(L"page1")->isVisible());
    EXPECT_FALSE(window->Find(L"page0")->isVisible());
    EXPECT_TRUE(tabs->SelectItem(0));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(window->Find(L"page0")->isVisible());
    EXPECT_FALSE(window->Find(L"page1")->isVisible());
    EXPECT_EQ(PixelAt(tabs, 30, 20), QColor(Qt::red));
    EXPECT_FALSE(tabs->SelectItem(2));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

TEST_F(ControlsTest, ListItemsBuiltFromALayoutFile) {
    auto* list = window->Find<CListUI>(L"list");
    for (int i = 0; i < 5; ++i) {
        CControlUI* item = CDialogBuilder::Create(L"item.xml");
        ASSERT_NE(item, nullptr);
        item->SetTag(static_cast<uintptr_t>(i));
        static_cast<CContainerUI*>(item)->FindSubControl(L"item_label")->SetText(L"drive");
        ASSERT_TRUE(list->Add(item));
    }
    EXPECT_EQ(list->GetCount(), 5);
    EXPECT_EQ(list->GetItemAt(2)->GetPos().top(), 60) << "stacked by their heights";
    // Items of the list are part of the window: found by name, their events reach it.
    EXPECT_NE(window->Find(L"item_btn"), nullptr);

    CControlUI* second = list->GetItemAt(1);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(120, 15));
    EXPECT_EQ(list->GetCurSel(), 1);
    ASSERT_EQ(window->Count(L"itemclick"), 1u);
    EXPECT_EQ(window->notes.back().sender, L"DeviceItem");
    EXPECT_EQ(PixelAt(second, 120, 2), QColor(0x00, 0xBF, 0xB2)) << "selected colour";
    list->SetSelectedItemBkColor(0xFFFFFFFF);
    EXPECT_EQ(PixelAt(second, 120, 2), QColor(Qt::white));

    // A button inside an item raises its own click, not an item click.
    QTest::mouseClick(static_cast<CContainerUI*>(second)->FindSubControl(L"item_btn"),
                      Qt::LeftButton);
    EXPECT_EQ(window->Count(L"itemclick"), 1u);
    EXPECT_EQ(window->notes.back().sender, L"item_btn");
    EXPECT_EQ(window->notes.back().type, L"click");

    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(window->Find(L"item_btn"), nullptr);
}

TEST_F(ControlsTest, TextLinksGiveTheirTargets) {
    auto* text = window->Find<CTextUI>(L"links");
    EXPECT_EQ(text->GetLinkCount(), 2);
    EXPECT_EQ(text->GetLinkContent(0), L"https://example.test/");
    EXPECT_EQ(text->GetLinkContent(1), L"mailto:x@y.test");
    EXPECT_EQ(text->GetLinkContent(2), L"");
    // Clicking the first word ("Visit") is not a link; the text after it is.
    QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(2, 15));
    EXPECT_EQ(window->Count(L"link"), 0u);
    for (int x = 30; x < 120 && window->Count(L"link") == 0; x += 4)
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, 15));
    ASSERT_EQ(window->Count(L"link"), 1u);
    EXPECT_EQ(window->notes.back().wParam, 0u);
}

TEST_F(ControlsTest, MalformedOrMissingLayoutsBuildNothing) {
    EXPECT_EQ(CDialogBuilder::Create(L"absent.xml"), nullptr);
    EXPECT_EQ(CDialogBuilder::CreateFromXml("<Container><Label name='x'></Container>", "bad.xml"),
              nullptr);
    // Unknown elements are skipped, the rest is built.
    std::unique_ptr<CControlUI> ok(CDialogBuilder::CreateFromXml(
        "<Container name='c'><Blink name='b'/><Label name='l'/></Container>", "odd.xml"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->FindSubControl(L"b"), nullptr);
    EXPECT_NE(ok->FindSubControl(L"l"), nullptr);
}

TEST(GifAnimTest, PlaysAGifOfTheSkinWhileShown) {
    // A 2-frame 1x1 GIF.
    static const unsigned char gif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0x00,
        0x00, 0x00, 0x00, 0xFF, 0x21, 0xFF, 0x0B, 0x4E, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45,
        0x32, 0x2E, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00,
        0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01,
        0x00, 0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01,
        0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x4C, 0x01, 0x00, 0x3B};
    InstallSkin(
        {{"gif.xml", "<Window size='40,40'><GifAnim name='wait' bkimage='wait.gif'/></Window>"},
         {"wait.gif", QByteArray(reinterpret_cast<const char*>(gif), sizeof gif)}});
    TestWindow window(L"gif.xml");
    window.Create(nullptr, L"gif", UI_WNDSTYLE_DIALOG, 0);
    auto* wait = window.Find<CGifAnimUI>(L"wait");
    ASSERT_NE(wait, nullptr);
    EXPECT_TRUE(wait->IsPlaying());
    wait->SetBkImage(L"missing.gif");
    EXPECT_FALSE(wait->IsPlaying());
}

} // namespace
