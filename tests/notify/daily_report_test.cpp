#include "notify/daily_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>

#include "notify/report_schedule.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::system_clock;
using ::testing::HasSubstr;
using namespace std::chrono;

Clock::time_point Local(int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return Clock::from_time_t(std::mktime(&t));
}

int64_t Seconds(Clock::time_point t) { return Clock::to_time_t(t); }

TEST(DailyReports, AreDueOnceADayAtTheirTime) {
    ReportSettings s = ReadReportSettings(IniDocument::Parse("[Report]\r\nEnabled=1\r\n"));
    EXPECT_EQ(s.hour, 9);
    s.lastSent = Seconds(Local(10, 9, 0));
    EXPECT_FALSE(ReportDue(s, Local(10, 18, 0)));
    EXPECT_FALSE(ReportDue(s, Local(11, 8, 59)));
    EXPECT_TRUE(ReportDue(s, Local(11, 9, 0)));
    EXPECT_EQ(NextReportTime(s, Local(10, 9, 0)), Local(11, 9, 0));
    EXPECT_EQ(NextReportTime(s, Local(10, 8, 0)), Local(10, 9, 0));
    s.enabled = false;
    EXPECT_FALSE(ReportDue(s, Local(11, 9, 0)));
}

TEST(DailyReports, AMissedReportGoesAtTheNextStartAndOnlyOnce) {
    ReportSettings s =
        ReadReportSettings(IniDocument::Parse("[Report]\r\nEnabled=1\r\nTime=21:30\r\n"));
    EXPECT_EQ(s.hour, 21);
    EXPECT_EQ(s.minute, 30);
    s.lastSent = Seconds(Local(5, 21, 30));
    // The machine was off from the 6th to the morning of the 9th.
    EXPECT_TRUE(ReportDue(s, Local(9, 7, 0)));
    s.lastSent = Seconds(Local(9, 7, 0));
    EXPECT_FALSE(ReportDue(s, Local(9, 21, 29)));
    EXPECT_TRUE(ReportDue(s, Local(9, 21, 30)));
    // Never sent: due at once.
    s.lastSent = 0;
    EXPECT_TRUE(ReportDue(s, Local(9, 7, 0)));
}

TEST(DailyReports, SettingsSurviveAWriteAndBadTimesKeepTheDefault) {
    ReportSettings s = ReadReportSettings(IniDocument::Parse("[Report]\r\nTime=25:00\r\n"));
    EXPECT_EQ(s.hour, 9);
    EXPECT_FALSE(s.enabled);
    s = {true, 7, 5, "me@example.com", "push2, push3", 1234};
    IniDocument doc;
    WriteReportSettings(doc, s);
    EXPECT_THAT(doc.Serialize(), ::testing::HasSubstr("Time=07:05\r\n"));
    ReportSettings back = ReadReportSettings(IniDocument::Parse(doc.Serialize()));
    EXPECT_EQ(back.toMail, "me@example.com");
    EXPECT_EQ(back.lastSent, 1234);
    EXPECT_TRUE(ReportGoesTo(back, "push3"));
    EXPECT_FALSE(ReportGoesTo(back, "push1"));
    back.push.clear();
    EXPECT_TRUE(ReportGoesTo(back, "push1"));
}

TEST(DailyReports, TellEachWindowsStateCountsAndLastFindOnItsOwnLines) {
    ReportWindow shop{"2", "显卡", true, false, 1440, 3, 5, 1, "价格\r\n128 元"};
    ReportWindow dead{"3", "票", true, true, 100, 100, 0, 0, ""};
    ReportText r = ComposeReport({shop, dead}, Local(1, 8, 0));
    EXPECT_EQ(r.subject, "Nuvaro 运行日报");
    EXPECT_THAT(r.body, ::testing::HasSubstr("程序启动时间：2026-12-1 8:00:00\r\n"));
    EXPECT_THAT(r.body, ::testing::HasSubstr("窗口 2 显卡：监控中\r\n"));
    EXPECT_THAT(r.body,
                ::testing::HasSubstr("检查 1440 次，失败 3 次，已发通知 5 条，待发 1 条\r\n"));
    EXPECT_THAT(r.body, ::testing::HasSubstr("最近找到：价格  128 元\r\n"));
    EXPECT_THAT(r.body, ::testing::HasSubstr("窗口 3 票：监控异常\r\n"));
}

class ReportScheduleTest : public ::testing::Test {
  protected:
    void Settings(const std::string& text) { m_dir.Write("config.ini", text); }
    testing::TempExeDir m_dir;
    int m_sent = 0;
    ReportSchedule m_schedule{IniFile(m_dir.File("config.ini")),
                              [] {
                                  return ReportText{"Nuvaro 运行日报", "body"};
                              },
                              [this](const ReportSettings&, const ReportText&) { ++m_sent; }};
};

TEST_F(ReportScheduleTest, SendsOnceADayAtItsTimeCheckingEveryMinute) {
    Settings("[Report]\r\nEnabled=1\r\nTime=09:00\r\nLastSent=" +
             std::to_string(Clock::to_time_t(Local(10, 9, 0))) + "\r\n");
    for (auto t = Local(10, 9, 1); t < Local(13, 9, 0); t += minutes(1)) m_schedule.Check(t);
    EXPECT_EQ(m_sent, 2);  // the 11th and the 12th
    EXPECT_TRUE(m_schedule.Check(Local(13, 9, 0)));
    EXPECT_EQ(m_sent, 3);
}

TEST_F(ReportScheduleTest, AReportMissedWhileNotRunningGoesAtStartOnce) {
    Settings("[Report]\r\nEnabled=1\r\nTime=09:00\r\nLastSent=" +
             std::to_string(Clock::to_time_t(Local(5, 9, 0))) + "\r\n");
    EXPECT_TRUE(m_schedule.Check(Local(8, 14, 0)));
    EXPECT_FALSE(m_schedule.Check(Local(8, 14, 1)));
    EXPECT_EQ(m_sent, 1);
    EXPECT_THAT(m_dir.Read("config.ini"), HasSubstr("Enabled=1\r\n"));
}

TEST_F(ReportScheduleTest, NothingGoesWhenOffOrWithoutSettings) {
    EXPECT_FALSE(m_schedule.Check(Local(8, 14, 0)));
    Settings("[Report]\r\nEnabled=0\r\n");
    EXPECT_FALSE(m_schedule.Check(Local(8, 14, 0)));
    EXPECT_EQ(m_sent, 0);
}

}  // namespace
}  // namespace nuvaro
