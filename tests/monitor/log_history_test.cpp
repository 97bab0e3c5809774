// Reading the logs back for the log viewer: every layout the program writes, merged newest first.
#include "monitor/log_history.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/date_time.h"
#include "core/gbk.h"
#include "monitor/monitor_log.h"
#include "notify/send_log.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

TEST(LogHistory, MonitorLogLinesGiveEventWindowAndFoundTextWhateverTheyContain) {
    const std::string d = "2026-12-7 9:05:03";
    auto entries = ParseMonitorLog(Lines({
        loglines::NothingFound(d, "价格[京东]").bytes(),
        loglines::RepeatSkipped("2026-12-7", "3", GT("128"), "甲").bytes(),
        loglines::ChangeNotified(d, "0", GT("[降价]\r\n第二行]"), "首=页").bytes(),
    }));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].event, LogEvent::NothingFound);
    EXPECT_EQ(entries[0].window, "价格[京东]");
    EXPECT_EQ(entries[0].text, "");
    EXPECT_EQ(entries[0].time, d);
    EXPECT_EQ(entries[0].order, 20261207090503LL);
    EXPECT_EQ(entries[1].event, LogEvent::Repeat);
    EXPECT_EQ(entries[1].time, "2026-12-7");  // midnight has no time part
    EXPECT_EQ(entries[1].order, 20261207000000LL);
    EXPECT_EQ(entries[1].slot, "3");
    EXPECT_EQ(entries[1].text, "128");
    EXPECT_EQ(entries[2].event, LogEvent::Change);
    EXPECT_EQ(entries[2].text, "[降价]\\r\\n第二行]");  // one line, shown as written
    EXPECT_EQ(entries[2].window, "首=页");
}

// A page that holds a line break and then a whole log line of its own makes no entry: the
// found text stays in its entry, written visibly.
TEST(LogHistory, AFoundTextCannotForgeAnEntry) {
    const std::string forged = "2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]";
    const std::string log =
        Lines({loglines::ChangeNotified("2026-12-7 9:05:03", "2", GT("价格\r\n" + forged + "\r\n"),
                                        "商店")
                   .bytes(),
               loglines::NothingFound("2026-12-7 9:06:03", "商店").bytes()});
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    auto entries = ParseMonitorLog(log);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].event, LogEvent::Change);
    EXPECT_EQ(entries[0].window, "商店");
    EXPECT_EQ(entries[0].text, "价格\\r\\n" + forged + "\\r\\n");
    EXPECT_EQ(entries[1].event, LogEvent::NothingFound);
}

// Older versions wrote a found text's line breaks as they were: a line that begins with a
// date-time belongs to the entry before it while that entry is not yet whole.
TEST(LogHistory, OldEntriesOfSeveralLinesStayWholeAroundAForgedLine) {
    const std::string change = "]" + G("监控点信息发生变化，发出提醒") + "[";
    const std::string repeat = "]" + G("发现重复提醒信息，跳过") + "[";
    const std::string forged =
        G("2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]");
    auto entries = ParseMonitorLog(
        Lines({"2026-12-7 9:05:03[2][" + G("价格"), forged, "\x1b[31m" + change + G("商店") + "]",
               "2026-12-7 9:06:03[2][" + G("甲") + change + G("乙") + "]\n" + G("丙") + repeat +
                   G("商店") + "]",
               loglines::NothingFound("2026-12-7 9:07:03", "商店").bytes()}));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].event, LogEvent::Change);
    EXPECT_EQ(entries[0].window, "商店");
    EXPECT_EQ(entries[0].text,
              "价格\\r\\n" + ToUtf8(GbkText::FromBytes(forged)) + "\\r\\n\\x1B[31m");
    // The last fixed text tells the event: the found text's own one is part of it.
    EXPECT_EQ(entries[1].event, LogEvent::Repeat);
    EXPECT_EQ(entries[1].window, "商店");
    EXPECT_EQ(entries[1].text, "甲]监控点信息发生变化，发出提醒[乙]\\n丙");
    EXPECT_EQ(entries[2].event, LogEvent::NothingFound);
}

TEST(LogHistory, ErrorAndSendLogLinesAndLinesOfNoLayoutAreAllKept) {
    auto errors = ParseErrorLog(Lines(
        {"garbage without a date",
         loglines::TickError("2026-12-8 3:00:01", "2", "甲", "网页加载失败：HTTP 500\r\n").bytes(),
         "2026-12-8 3:00:02 no layout", "[x]"}));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].text, "garbage without a date");
    EXPECT_EQ(errors[1].event, LogEvent::Error);
    EXPECT_EQ(errors[1].window, "甲");
    // Lines the program did not write as entries show with the entry before them.
    EXPECT_EQ(errors[1].text,
              "网页加载失败：HTTP 500\\r\\n\\r\\n2026-12-8 3:00:02 no layout\\r\\n[x]");

    Delivery ok{"EMAIL", "2", GT("a@b.c"), true, GT("250 queued")};
    Delivery failed{"SMS", "7", GT("138"), false, GT("连接超时")};
    auto sends = ParseSendLog(Lines({SendLogLine("2026-12-8 3:00:02", ok).bytes(),
                                     SendLogLine("2026-12-8 3:00:03", failed).bytes()}),
                              [](std::string_view slot) { return slot == "2" ? "甲" : ""; });
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[0].event, LogEvent::DeliveryOk);
    EXPECT_EQ(sends[0].window, "甲");
    EXPECT_EQ(sends[0].text, "EMAIL a@b.c：250 queued");
    EXPECT_EQ(sends[1].event, LogEvent::DeliveryFailed);
    EXPECT_EQ(sends[1].slot, "7");
    EXPECT_EQ(sends[1].text, "SMS 138：连接超时");
}

TEST(LogHistory, MergedNewestFirstAndFilteredByWindowAndText) {
    auto inform = ParseMonitorLog(
        Lines({loglines::ChangeNotified("2026-12-8 1:00:00", "2", GT("x1"), "甲").bytes(),
               loglines::ChangeNotified("2026-12-8 9:00:00", "3", GT("y"), "乙").bytes(),
               loglines::RepeatSkipped("2026-12-8 9:00:00", "2", GT("x1"), "甲").bytes()}));
    auto errors = ParseErrorLog(
        Lines({loglines::TickError("2026-12-8 10:00:00", "2", "甲", "boom").bytes()}));
    auto all = MergeNewestFirst({inform, errors});
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].text, "boom");
    EXPECT_EQ(all[1].event, LogEvent::Repeat);  // same second: the later line first
    EXPECT_EQ(all[2].window, "乙");
    EXPECT_EQ(all[3].text, "x1");

    EXPECT_EQ(FilterEntries(all, "甲", ""), (std::vector<size_t>{0, 1, 3}));
    EXPECT_EQ(FilterEntries(all, "", "x1"), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(FilterEntries(all, "甲", "错误"), (std::vector<size_t>{0}));  // by event name too
    EXPECT_EQ(FilterEntries(all, "", "").size(), 4u);
}

}  // namespace
}  // namespace nuvaro::testing
