#include "banners/ui/scroll_text.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include "harness/gui_pump.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

using testing::PumpUntil;

class ScrollTextTest : public ::testing::Test {
  protected:
    ScrollTextTest()
        : frame(new wxFrame(nullptr, wxID_ANY, "scroll", wxPoint(0, 0), wxSize(400, 200))) {
        // On a panel: a frame's only child would be stretched over the whole frame.
        auto* panel = new wxPanel(frame);
        text = new TScrollText(panel, wxID_ANY, wxPoint(10, 10));
        frame->Show();
        PumpUntil([this] { return text->IsShownOnScreen(); }, 5000);
    }
    ~ScrollTextTest() override {
        frame->Destroy();
        testing::Pump(20);
    }
    void Click(wxPoint down, wxPoint up) {
        wxMouseEvent press(wxEVT_LEFT_DOWN);
        press.SetPosition(down);
        press.SetEventObject(text);
        text->GetEventHandler()->ProcessEvent(press);
        wxMouseEvent release(wxEVT_LEFT_UP);
        release.SetPosition(up);
        release.SetEventObject(text);
        text->GetEventHandler()->ProcessEvent(release);
    }

    wxFrame* frame;
    TScrollText* text;
};

TEST_F(ScrollTextTest, StartsWithTheControlDefaults) {
    EXPECT_TRUE(text->Active());
    EXPECT_EQ(text->Interval(), 200);
    EXPECT_EQ(text->Step(), 5);
    EXPECT_EQ(text->ScrollDirection(), TScrollDirect::sdLeft);
    EXPECT_EQ(text->GetSize().GetWidth(), 200);
    EXPECT_EQ(text->GetBackgroundColour(), wxColour(0x00, 0x80, 0x00));
    EXPECT_EQ(text->GetForegroundColour(), wxColour(0x00, 0xFF, 0xFF));
    EXPECT_EQ(text->GetFont().GetFaceName(), U8(kSimSunFace));
    EXPECT_EQ(design::FontPixelHeight(text->GetFont()), 12);
    EXPECT_FALSE(text->AcceptsFocus());
    EXPECT_FALSE(text->AcceptsFocusFromKeyboard());
    EXPECT_TRUE(text->ScrollText().empty());
}

TEST_F(ScrollTextTest, MovesOverRealTimerTicksAndComesBackAtTheRight) {
    text->SetScrollText("ab");
    ASSERT_GT(text->TextWidth(), 0);
    EXPECT_EQ(text->Offset(), 0);
    ASSERT_TRUE(PumpUntil([this] { return text->Offset() <= -10; }, 20000));
    EXPECT_EQ(text->Offset() % 5, 0);
    int reentry = text->GetClientSize().GetWidth() - 1;
    ASSERT_TRUE(PumpUntil([&] { return text->Offset() > 0; }, 30000));
    EXPECT_LE(text->Offset(), reentry);
    EXPECT_EQ((reentry - text->Offset()) % 5, 0);
}

TEST_F(ScrollTextTest, ChineseTextMeasuresAtLeastItsGbkEstimate) {
    text->SetScrollText(U8("广告一"));
    EXPECT_GE(text->TextWidth(), 36);  // 12 px * 6 GBK bytes / 2
    int single = text->TextWidth();
    text->SetScrollText(U8("广告一广告一广告一广告一"));
    EXPECT_GT(text->TextWidth(), single);
    EXPECT_GT(text->TextHeight(), 0);
}

TEST_F(ScrollTextTest, AbortInTheHandlerStopsItOutsideUntilResumed) {
    text->SetInterval(20);
    int calls = 0;
    text->SetOnFrameScrolled([&](TScrollDirect direct, int pos, bool& abort) {
        EXPECT_EQ(direct, TScrollDirect::sdLeft);
        EXPECT_LT(pos, -text->TextWidth());
        abort = ++calls == 1;
    });
    text->SetScrollText("x");
    ASSERT_TRUE(PumpUntil([this] { return !text->Active(); }, 20000));
    EXPECT_EQ(calls, 1);
    EXPECT_LT(text->Offset(), -text->TextWidth());
    text->SetActive(true);
    ASSERT_TRUE(PumpUntil([&] { return calls == 2; }, 20000));
    EXPECT_TRUE(text->Active());
    EXPECT_GT(text->Offset(), 0);
}

TEST_F(ScrollTextTest, VerticalDirectionWrapsAndRestarts) {
    text->SetScrollText(U8("一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十"));
    int oneLine = text->TextHeight();
    text->SetScrollDirection(TScrollDirect::sdUp);
    EXPECT_TRUE(text->WordWrap());
    EXPECT_EQ(text->Layout(), TTextLayout::tlTop);
    EXPECT_EQ(text->Offset(), 0);
    EXPECT_GE(text->TextHeight(), 2 * oneLine);  // wrapped at 200 pixels
}

TEST_F(ScrollTextTest, ClickNeedsPressAndReleaseOverTheControl) {
    int clicks = 0;
    text->SetOnClick([&] { ++clicks; });
    Click({5, 5}, {6, 6});
    EXPECT_EQ(clicks, 1);
    Click({5, 5}, {500, 6});  // released elsewhere
    EXPECT_EQ(clicks, 1);
    wxMouseEvent release(wxEVT_LEFT_UP);  // a release alone
    release.SetPosition({5, 5});
    text->GetEventHandler()->ProcessEvent(release);
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace nuvaro
