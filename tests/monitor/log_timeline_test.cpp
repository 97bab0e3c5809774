// The log viewer's timeline over real files: read from the end, older parts on demand, what is
// appended as it comes, and the value before each change.
#include "monitor/log_timeline.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "monitor/monitor_log.h"
#include "notify/send_log.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

std::string Time(int i) {
    return "2026-12-" + std::to_string(1 + i / 86400) + " " + std::to_string(i / 3600 % 24) + ":" +
           std::to_string(i / 60 % 60) + ":" + std::to_string(i % 60);
}

class Timeline : public ::testing::Test {
  protected:
    Timeline() { std::filesystem::create_directories(dir.File("Log")); }

    void Append(const std::string& log, const std::string& line) {
        std::ofstream(dir.File("Log/" + log + ".txt"), std::ios::app | std::ios::binary)
            << line << "\r\n";
    }
    LogTimeline Make(size_t chunk = LogFileReader::kChunkBytes,
                     size_t maxEntries = LogTimeline::kMaxEntriesPerLog) {
        return LogTimeline({dir.File("Log/informlog.txt"), dir.File("Log/errorlog.txt"),
                            dir.File("Log/sendlog.txt")},
                           chunk, maxEntries);
    }
    static WindowOfSlot Names() {
        return [](std::string_view slot) { return slot == "2" ? std::string("甲") : ""; };
    }
    static std::vector<std::string> Texts(const LogTimeline& t) {
        std::vector<std::string> out;
        for (size_t row = 0; row < t.RowCount(); ++row) out.push_back(t.Row(row).text);
        return out;
    }

    TempExeDir dir;
};

TEST_F(Timeline, MergesTheThreeLogsNewestFirstWithTheValueBeforeEachChange) {
    Append("informlog", loglines::ChangeNotified(Time(1), "2", GT("199"), "甲").bytes());
    Append("informlog", loglines::ChangeNotified(Time(2), "0", GT("首页新闻"), "首页").bytes());
    Append("informlog", loglines::RepeatSkipped(Time(3), "2", GT("199"), "甲").bytes());
    Append("errorlog", loglines::TickError(Time(4), "2", "甲", "网页加载失败").bytes());
    Append("informlog", loglines::ChangeNotified(Time(5), "2", GT("159"), "甲").bytes());
    Append("sendlog", SendLogLine(Time(6), {"SMS", "2", GT("+86138"), true, GT("ok")}).bytes());
    LogTimeline t = Make();
    LogTimeline::Applied applied = t.Apply(t.ReadAppended(Names())());
    EXPECT_TRUE(applied.reset);
    ASSERT_EQ(t.RowCount(), 6u);
    EXPECT_EQ(t.Row(0).event, LogEvent::DeliveryOk);
    EXPECT_EQ(t.Row(0).window, "甲");
    EXPECT_EQ(t.Row(1).text, "159");
    EXPECT_EQ(t.Row(1).previous, "199");
    EXPECT_EQ(t.Row(2).event, LogEvent::Error);
    EXPECT_EQ(t.Row(4).text, "首页新闻");
    EXPECT_EQ(t.Row(4).previous, "");  // another window's change is not its previous value
    EXPECT_EQ(t.Row(5).previous, "");  // the first change
    EXPECT_FALSE(t.HasOlder());
    EXPECT_EQ(t.WindowNames(), (std::set<std::string>{"甲", "首页"}));
}

TEST_F(Timeline, FollowsWhatIsAppendedAndPutsItFirstThroughTheFilter) {
    Append("informlog", loglines::ChangeNotified(Time(1), "2", GT("199"), "甲").bytes());
    LogTimeline t = Make();
    t.Apply(t.ReadAppended(Names())());
    t.SetFilter("甲", "");
    EXPECT_FALSE(t.FilesChanged());
    Append("informlog", loglines::NothingFound(Time(2), "乙").bytes());
    Append("informlog", loglines::ChangeNotified(Time(3), "2", GT("159"), "甲").bytes());
    Append("errorlog", loglines::TickError(Time(4), "2", "甲", "boom").bytes());
    ASSERT_TRUE(t.FilesChanged());
    LogTimeline::Applied applied = t.Apply(t.ReadAppended(Names())());
    EXPECT_FALSE(applied.reset);
    EXPECT_EQ(applied.newRows, 2u);  // 乙's entry is filtered out
    EXPECT_EQ(Texts(t), (std::vector<std::string>{"boom", "159", "199"}));
    EXPECT_EQ(t.Row(1).previous, "199");
    EXPECT_EQ(t.EntryCount(), 4u);
    EXPECT_FALSE(t.FilesChanged());
    EXPECT_EQ(t.Apply(t.ReadAppended(Names())()).newRows, 0u);
}

TEST_F(Timeline, ALineBeingWrittenWaitsUntilItIsWhole) {
    LogTimeline t = Make();
    t.Apply(t.ReadAppended(Names())());
    std::ofstream(dir.File("Log/informlog.txt"), std::ios::binary)
        << loglines::NothingFound(Time(1), "甲").bytes();  // no CR LF yet
    EXPECT_EQ(t.Apply(t.ReadAppended(Names())()).newRows, 0u);
    Append("informlog", "");
    EXPECT_EQ(t.Apply(t.ReadAppended(Names())()).newRows, 1u);
}

TEST_F(Timeline, AReplacedOrCutLogIsReadAnew) {
    Append("informlog", loglines::NothingFound(Time(1), "甲").bytes());
    Append("informlog", loglines::NothingFound(Time(2), "甲").bytes());
    LogTimeline t = Make();
    t.Apply(t.ReadAppended(Names())());
    std::ofstream(dir.File("Log/informlog.txt"), std::ios::binary | std::ios::trunc)
        << loglines::ChangeNotified(Time(3), "2", GT("x"), "甲").bytes() << "\r\n";
    ASSERT_TRUE(t.FilesChanged());
    EXPECT_TRUE(t.Apply(t.ReadAppended(Names())()).reset);
    EXPECT_EQ(Texts(t), (std::vector<std::string>{"x"}));
}

// A small chunk stands in for a log of hundreds of megabytes.
TEST_F(Timeline, ALargeLogShowsItsNewestPartFirstAndTheRestOnDemandWithoutGapsOrRepeats) {
    for (int i = 0; i < 300; ++i) {
        Append("informlog",
               loglines::ChangeNotified(Time(100 + i), "2", GT("价格" + std::to_string(i)), "甲")
                   .bytes());
    }
    for (int i = 0; i < 5; ++i)
        Append("errorlog", loglines::TickError(Time(i), "2", "甲", "early").bytes());
    LogTimeline t = Make(4096);
    t.Apply(t.ReadAppended(Names())());
    ASSERT_TRUE(t.HasOlder());
    const size_t first = t.RowCount();
    EXPECT_GT(first, 10u);
    EXPECT_LT(first, 100u);
    EXPECT_EQ(t.Row(0).text, "价格299");
    for (size_t row = 0; row < t.RowCount(); ++row) EXPECT_NE(t.Row(row).text, "early");
    size_t rows = first;
    while (t.HasOlder()) {
        LogTimeline::Applied applied = t.Apply(t.ReadOlder(Names())());
        EXPECT_FALSE(applied.reset);
        rows += applied.olderRows;
        ASSERT_EQ(rows, t.RowCount());
    }
    ASSERT_EQ(t.RowCount(), 305u);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(t.Row(299 - i).text, "价格" + std::to_string(i));
    EXPECT_EQ(t.Row(300).text, "early");
    EXPECT_EQ(t.Row(0).previous, "价格298");  // derived across the parts read
    EXPECT_EQ(t.Row(299).previous, "");
}

// Open for weeks, the viewer lets its oldest entries go and can read them again.
TEST_F(Timeline, FollowingForLongKeepsABoundedNumberOfEntries) {
    LogTimeline t = Make(LogFileReader::kChunkBytes, 40);
    t.Apply(t.ReadAppended(Names())());
    for (int i = 0; i < 50; ++i) {
        Append(
            "informlog",
            loglines::ChangeNotified(Time(i), "2", GT("价格" + std::to_string(i)), "甲").bytes());
        t.Apply(t.ReadAppended(Names())());
    }
    EXPECT_LE(t.EntryCount(), 40u);
    EXPECT_EQ(t.Row(0).text, "价格49");
    ASSERT_TRUE(t.HasOlder());
    while (t.HasOlder()) t.Apply(t.ReadOlder(Names())());
    EXPECT_EQ(t.RowCount(), 50u);
    EXPECT_EQ(t.Row(49).text, "价格0");
}

// Older versions wrote found texts as they were: lines of megabytes, and entries of several
// lines that a part may cut in two.
TEST_F(Timeline, OldOverlongLinesAndEntriesAcrossPartsStayWholeEntries) {
    Append("informlog", loglines::NothingFound(Time(1), "甲").bytes());
    std::string huge(3u << 20, 'x');
    Append("informlog",
           Time(2) + "[2][" + huge + "]" + G("监控点信息发生变化，发出提醒") + "[" + G("甲") + "]");
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "line " + std::to_string(i) + "\r\n";
    Append("informlog",
           Time(3) + "[2][" + lines + "]" + G("发现重复提醒信息，跳过") + "[" + G("甲") + "]");
    LogTimeline t = Make(1024);
    t.Apply(t.ReadAppended(Names())());
    while (t.HasOlder()) t.Apply(t.ReadOlder(Names())());
    ASSERT_EQ(t.RowCount(), 3u);
    EXPECT_EQ(t.Row(0).event, LogEvent::Repeat);
    EXPECT_EQ(t.Row(0).window, "甲");
    EXPECT_EQ(t.Row(0).text.substr(0, 6), "line 0");
    EXPECT_NE(t.Row(0).text.find("line 199"), std::string::npos);
    EXPECT_EQ(t.Row(1).event, LogEvent::Change);
    EXPECT_EQ(t.Row(1).window, "甲");
    EXPECT_LT(t.Row(1).text.size(), 64u << 10);  // its middle left out
    EXPECT_NE(t.Row(1).text.find("略去"), std::string::npos);
    EXPECT_EQ(t.Row(2).event, LogEvent::NothingFound);
}

}  // namespace
}  // namespace nuvaro::testing
