#include "banners/scroll_model.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/temp_dir.h"

namespace nuvaro {
namespace {

// Stands in for the control: fixed measurements, and a record of the timer and repaints.
class FakePlatform : public ScrollPlatform {
  public:
    TextExtent MeasureText(bool wordWrap) override {
        measuredWithWrap.push_back(wordWrap);
        return extent;
    }
    int FontHeight() override { return fontHeight; }
    int ClientWidth() override { return clientWidth; }
    int ClientHeight() override { return clientHeight; }
    void SetTimer(bool running, int intervalMs) override {
        timerRunning = running;
        timerInterval = intervalMs;
        if (running) ++timerStarts;
    }
    void Repaint() override { ++repaints; }

    TextExtent extent{100, 12};
    int fontHeight = -12;
    int clientWidth = 200;
    int clientHeight = 17;
    bool timerRunning = false;
    int timerInterval = 0;
    int timerStarts = 0;
    int repaints = 0;
    std::vector<bool> measuredWithWrap;
};

struct Scrolled {
    TScrollDirect direct;
    int curPos;
};

class ScrollModelTest : public ::testing::Test {
  protected:
    ScrollModelTest() : model(platform) {
        model.Start();
        model.OnFrameScrolled = [this](TScrollDirect d, int pos, bool& abort) {
            events.push_back({d, pos});
            abort = abortNext;
        };
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) model.TimerTick();
    }

    FakePlatform platform;
    ScrollModel model;
    std::vector<Scrolled> events;
    bool abortNext = false;
};

TEST_F(ScrollModelTest, StartsWithTheControlDefaults) {
    EXPECT_TRUE(model.Active());
    EXPECT_TRUE(platform.timerRunning);
    EXPECT_EQ(platform.timerInterval, 200);
    EXPECT_EQ(model.Step(), 5);
    EXPECT_EQ(model.ScrollDirection(), TScrollDirect::sdLeft);
    EXPECT_EQ(model.Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(model.Layout(), TTextLayout::tlCenter);
    EXPECT_FALSE(model.WordWrap());
}

TEST_F(ScrollModelTest, TextOfHundredPixelsLeavesAfterTwentyOneStepsAndReentersAtTheRight) {
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(20);
    EXPECT_EQ(model.Offset(), -100);
    EXPECT_TRUE(events.empty());
    Ticks(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].direct, TScrollDirect::sdLeft);
    EXPECT_EQ(events[0].curPos, -105);
    EXPECT_EQ(model.Offset(), 199);
    Ticks(1);
    EXPECT_EQ(model.Offset(), 194);
}

TEST_F(ScrollModelTest, EmptyTextIsGoneAfterTheFirstStep) {
    platform.extent = {0, 0};
    model.SetScrollText(testing::GbkBytes(""));
    EXPECT_EQ(model.TextWidth(), 0);
    Ticks(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].curPos, -5);
    EXPECT_EQ(model.Offset(), 199);
}

TEST_F(ScrollModelTest, EachStepRestartsTheTimerSoTheNextComesOneIntervalLater) {
    int starts = platform.timerStarts;
    Ticks(3);
    EXPECT_EQ(platform.timerStarts, starts + 3);
    EXPECT_TRUE(platform.timerRunning);
    EXPECT_EQ(platform.repaints, 3);
}

struct DirectionCase {
    const char* name;
    TScrollDirect direction;
    int ticksToLeave;
    int offsetWhenLeft;
    int reentry;
};

class ScrollDirectionTest : public ScrollModelTest,
                            public ::testing::WithParamInterface<DirectionCase> {};

// Text 30 x 12 in a client of 200 x 17, 5 pixels a step.
TEST_P(ScrollDirectionTest, LeavesAndReentersAtTheOppositeEdge) {
    const DirectionCase& c = GetParam();
    platform.extent = {30, 12};
    platform.fontHeight = 0;  // no estimate: the measured width counts
    model.SetScrollDirection(c.direction);
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(c.ticksToLeave - 1);
    EXPECT_TRUE(events.empty());
    Ticks(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].direct, c.direction);
    EXPECT_EQ(events[0].curPos, c.offsetWhenLeft);
    EXPECT_EQ(model.Offset(), c.reentry);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, ScrollDirectionTest,
    ::testing::Values(DirectionCase{"Left", TScrollDirect::sdLeft, 7, -35, 199},
                      DirectionCase{"Right", TScrollDirect::sdRight, 41, 205, -29},
                      DirectionCase{"Up", TScrollDirect::sdUp, 3, -15, 16},
                      DirectionCase{"Down", TScrollDirect::sdDown, 4, 20, -11}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScrollModelTest, SecondPassRunsFromTheReentryOffset) {
    platform.extent = {30, 12};
    platform.fontHeight = 0;
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(7);  // gone at -35, back at 199
    Ticks(45);
    EXPECT_EQ(model.Offset(), -26);
    EXPECT_EQ(events.size(), 1u);
    Ticks(1);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].curPos, -31);
}

TEST_F(ScrollModelTest, GbkByteEstimateIsAFloorForTheMeasuredWidth) {
    platform.extent = {20, 12};
    model.SetScrollText(testing::GT("广告一"));  // 6 bytes: 12 * 6 / 2
    EXPECT_EQ(model.TextWidth(), 36);
    platform.extent = {50, 12};
    model.SetScrollText(testing::GT("广告一"));
    EXPECT_EQ(model.TextWidth(), 50);
}

TEST(ScrollModelEstimate, UsesTheLongestLineAndIgnoresTheFontHeightSign) {
    EXPECT_EQ(ScrollModel::EstimateWidth(testing::GbkBytes(""), -12), 0);
    EXPECT_EQ(ScrollModel::EstimateWidth(testing::GbkBytes("abc"), 12), 18);
    EXPECT_EQ(ScrollModel::EstimateWidth(testing::GbkBytes("abc"), -13), 19);  // 39 div 2
    EXPECT_EQ(ScrollModel::EstimateWidth(testing::GbkBytes("ab\r\n0123456789\ncd\rxyz"), -12), 60);
    EXPECT_EQ(ScrollModel::EstimateWidth(testing::GT("一二\r\nabc"), -12), 24);
}

TEST_F(ScrollModelTest, StepMustDifferAndBeSmallerThanTheClientWidth) {
    EXPECT_FALSE(model.SetStep(200));
    EXPECT_FALSE(model.SetStep(250));
    EXPECT_EQ(model.Step(), 5);
    EXPECT_FALSE(model.SetStep(5));
    EXPECT_TRUE(model.SetStep(199));
    EXPECT_EQ(model.Step(), 199);
    platform.clientWidth = 50;
    EXPECT_FALSE(model.SetStep(60));
    EXPECT_EQ(model.Step(), 199);
}

TEST_F(ScrollModelTest, StepZeroFreezesTheTextWhileTheTimerRuns) {
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(2);
    ASSERT_TRUE(model.SetStep(0));
    int repaints = platform.repaints;
    Ticks(50);
    EXPECT_EQ(model.Offset(), -10);
    EXPECT_EQ(platform.repaints, repaints);
    EXPECT_TRUE(model.Active());
    EXPECT_TRUE(platform.timerRunning);
}

TEST_F(ScrollModelTest, AbortLeavesTheTextOutsideAndTheControlInactiveUntilResumed) {
    model.SetScrollText(testing::GbkBytes("x"));
    abortNext = true;
    Ticks(21);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(model.Offset(), -105);
    EXPECT_FALSE(model.Active());
    EXPECT_FALSE(platform.timerRunning);

    abortNext = false;
    model.SetActive(true);
    EXPECT_TRUE(platform.timerRunning);
    Ticks(1);  // still outside, so it leaves again and now comes back
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].curPos, -110);
    EXPECT_EQ(model.Offset(), 199);
    EXPECT_TRUE(model.Active());
}

TEST_F(ScrollModelTest, StepsDoNotNestInsideTheHandler) {
    platform.extent = {0, 0};
    model.SetScrollText(testing::GbkBytes(""));
    model.OnFrameScrolled = [this](TScrollDirect, int pos, bool&) {
        events.push_back({TScrollDirect::sdLeft, pos});
        model.TimerTick();  // as a modal box in the handler would dispatch a tick
        EXPECT_FALSE(model.Active());
    };
    Ticks(1);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(model.Offset(), 199);
}

TEST_F(ScrollModelTest, HandlerThatThrowsDoesNotWedgeTheControl) {
    platform.extent = {0, 0};
    model.SetScrollText(testing::GbkBytes(""));
    model.OnFrameScrolled = [](TScrollDirect, int, bool&) { throw std::runtime_error("boom"); };
    EXPECT_THROW(Ticks(1), std::runtime_error);
    EXPECT_EQ(model.Offset(), -5);
    model.OnFrameScrolled = nullptr;
    model.SetActive(true);
    Ticks(1);
    EXPECT_EQ(model.Offset(), 199);
    EXPECT_TRUE(model.Active());
}

TEST_F(ScrollModelTest, SettingTheTextAgainRestartsAtOffsetZero) {
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(4);
    EXPECT_EQ(model.Offset(), -20);
    model.SetScrollText(testing::GbkBytes("x"));
    EXPECT_EQ(model.Offset(), 0);
}

TEST_F(ScrollModelTest, DirectionChangeRemeasuresWithWrapAndRestarts) {
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(4);
    platform.measuredWithWrap.clear();
    model.SetScrollDirection(TScrollDirect::sdUp);
    EXPECT_EQ(model.Offset(), 0);
    EXPECT_TRUE(model.WordWrap());
    EXPECT_EQ(model.Layout(), TTextLayout::tlTop);
    EXPECT_EQ(platform.measuredWithWrap, std::vector<bool>{true});

    model.SetAlignment(TAlignment::taCenter);
    EXPECT_EQ(model.Alignment(), TAlignment::taCenter);
    model.SetLayout(TTextLayout::tlBottom);
    EXPECT_EQ(model.Layout(), TTextLayout::tlTop);

    Ticks(2);
    model.SetScrollDirection(TScrollDirect::sdRight);
    EXPECT_EQ(model.Offset(), 0);
    EXPECT_FALSE(model.WordWrap());
    EXPECT_EQ(model.Alignment(), TAlignment::taLeftJustify);
    model.SetAlignment(TAlignment::taRightJustify);
    EXPECT_EQ(model.Alignment(), TAlignment::taLeftJustify);
    model.SetLayout(TTextLayout::tlBottom);
    EXPECT_EQ(model.Layout(), TTextLayout::tlBottom);
}

TEST_F(ScrollModelTest, SameDirectionChangesNothing) {
    model.SetScrollText(testing::GbkBytes("x"));
    Ticks(2);
    model.SetScrollDirection(TScrollDirect::sdLeft);
    EXPECT_EQ(model.Offset(), -10);
}

TEST_F(ScrollModelTest, IntervalAndActiveDriveTheTimer) {
    model.SetInterval(50);
    EXPECT_EQ(platform.timerInterval, 50);
    EXPECT_TRUE(platform.timerRunning);
    model.SetActive(false);
    EXPECT_FALSE(platform.timerRunning);
    model.SetInterval(70);
    EXPECT_FALSE(platform.timerRunning);
    model.SetActive(true);
    EXPECT_EQ(platform.timerInterval, 70);
}

}  // namespace
}  // namespace nuvaro
