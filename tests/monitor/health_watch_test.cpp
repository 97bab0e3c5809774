#include "monitor/health_watch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace nuvaro {
namespace {

using namespace std::chrono;
using Event = HealthWatch::Event;
using Result = HealthTick::Result;

const HealthWatch::WallTime kStart = system_clock::from_time_t(1765357200);

// Ticks every `every` for `length`, each with `result`; the events they raised, with their time.
struct Watching {
    HealthWatch watch;
    HealthSettings settings;
    HealthWatch::WallTime now = kStart;
    std::vector<std::pair<Event, minutes>> events;

    void Ticks(Result result, minutes length, minutes every = minutes(1)) {
        for (minutes t{0}; t < length; t += every) Tick(result, every);
    }
    void Tick(Result result, minutes after = minutes(1)) {
        Event e = watch.OnTick({result, "网页加载失败（HTTP 503）"}, now, settings);
        if (e != Event::None) events.emplace_back(e, duration_cast<minutes>(now - kStart));
        now += after;
    }
};

TEST(HealthWatches, AnHourOfFailuresIsToldOnceRemindedAfterRemindHoursAndRecoveredOnce) {
    Watching run;
    run.settings.remindHours = 1;
    run.Ticks(Result::Failed, minutes(60));
    ASSERT_EQ(run.events.size(), 1u);
    EXPECT_EQ(run.events[0], std::make_pair(Event::Failing, minutes(10)));
    EXPECT_EQ(run.watch.failedTicks(), 60);
    run.Ticks(Result::Failed, minutes(20));
    run.Tick(Result::Good);
    run.Tick(Result::Good);
    ASSERT_EQ(run.events.size(), 3u);
    EXPECT_EQ(run.events[1], std::make_pair(Event::Reminder, minutes(70)));
    EXPECT_EQ(run.events[2], std::make_pair(Event::Recovered, minutes(80)));
    EXPECT_EQ(run.watch.state(), HealthWatch::State::Healthy);
}

TEST(HealthWatches, TheDefaultsRemindOnceADay) {
    Watching run;
    run.Ticks(Result::Failed, hours(49), minutes(10));
    ASSERT_EQ(run.events.size(), 3u);
    EXPECT_EQ(run.events[1].second - run.events[0].second, hours(24));
    EXPECT_EQ(run.events[2].first, Event::Reminder);
}

TEST(HealthWatches, AFailureThatPassesSoonIsNeverTold) {
    Watching run;
    run.Tick(Result::Failed);
    run.Tick(Result::Good);
    // Three ticks in a row, but not yet ten minutes.
    run.Ticks(Result::Failed, minutes(9), minutes(3));
    run.Tick(Result::Good);
    // Ten minutes, but two ticks.
    run.Ticks(Result::Failed, minutes(24), minutes(12));
    run.Tick(Result::Good);
    EXPECT_TRUE(run.events.empty());
}

TEST(HealthWatches, SettingsSwitchTheNoticesOff) {
    Watching off;
    off.settings.enabled = false;
    off.Ticks(Result::Failed, hours(30));
    off.Tick(Result::Good);
    EXPECT_TRUE(off.events.empty());
    Watching quiet;
    quiet.settings.recovery = false;
    quiet.settings.remindHours = 0;
    quiet.Ticks(Result::Failed, hours(30));
    quiet.Tick(Result::Good);
    ASSERT_EQ(quiet.events.size(), 1u);
    EXPECT_EQ(quiet.events[0].first, Event::Failing);
}

TEST(HealthWatches, ALostMatchCountsOnlyWhenAskedAndOnlyAfterAMatch) {
    Watching never;
    never.settings.lostMatch = true;
    never.Ticks(Result::NothingFound, hours(1));
    EXPECT_TRUE(never.events.empty());
    Watching lost;
    lost.settings.lostMatch = true;
    lost.Tick(Result::Good);
    lost.Ticks(Result::NothingFound, hours(1));
    ASSERT_EQ(lost.events.size(), 1u);
    EXPECT_THAT(lost.watch.reason(), ::testing::HasSubstr("网页结构"));
    Watching off;
    off.Tick(Result::Good);
    off.Ticks(Result::NothingFound, hours(1));
    EXPECT_TRUE(off.events.empty());
}

TEST(HealthSettingsFile, DefaultsWhenAbsentAndValuesKeptWhenWritten) {
    HealthSettings d = ReadHealthSettings(IniDocument::Parse(""));
    EXPECT_TRUE(d.enabled && d.recovery && !d.program && !d.lostMatch);
    EXPECT_EQ(d.failTicks, 3);
    EXPECT_EQ(d.failMinutes, 10);
    EXPECT_EQ(d.remindHours, 24);
    HealthSettings odd = ReadHealthSettings(
        IniDocument::Parse("[Health]\r\nFailTicks=abc\r\nFailMinutes=-5\r\nEnabled=yes\r\n"));
    EXPECT_EQ(odd.failTicks, 3);
    EXPECT_EQ(odd.failMinutes, 0);
    EXPECT_TRUE(odd.enabled);
    IniDocument doc;
    WriteHealthSettings(doc, {false, 5, 30, 6, false, true, true});
    HealthSettings back = ReadHealthSettings(IniDocument::Parse(doc.Serialize()));
    EXPECT_FALSE(back.enabled);
    EXPECT_EQ(back.failTicks, 5);
    EXPECT_EQ(back.failMinutes, 30);
    EXPECT_EQ(back.remindHours, 6);
    EXPECT_TRUE(back.program && back.lostMatch && !back.recovery);
}

TEST(HealthNotices, NameTheWindowThePageTheReasonAndHowLong) {
    HealthFacts f{"显卡", "http://shop.example/7",         "网页加载失败（HTTP 503）",
                  kStart, kStart + hours(26) + minutes(5), 12};
    HealthNoticeText failing = ComposeHealthNotice(Event::Failing, f);
    EXPECT_EQ(failing.subject, "监控异常：显卡");
    EXPECT_THAT(failing.body, ::testing::HasSubstr("网页：http://shop.example/7\r\n"));
    EXPECT_THAT(failing.body, ::testing::HasSubstr("原因：网页加载失败（HTTP 503）\r\n"));
    EXPECT_THAT(failing.body, ::testing::HasSubstr("连续失败次数：12\r\n"));
    EXPECT_EQ(ComposeHealthNotice(Event::Reminder, f).subject, "监控异常（仍未恢复）：显卡");
    HealthNoticeText back = ComposeHealthNotice(Event::Recovered, f);
    EXPECT_EQ(back.subject, "监控恢复：显卡");
    EXPECT_THAT(back.body, ::testing::HasSubstr("持续时间：1 天 2 小时 5 分钟\r\n"));
    EXPECT_EQ(DurationText(seconds(30)), "0 分钟");
}

}  // namespace
}  // namespace nuvaro
