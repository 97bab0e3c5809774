#include "monitor/monitor_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/exe_dir.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::TempExeDir;

TEST(WriteLog, FirstLineCreatesFolderAndFileLaterLinesAppendWithCrLf) {
    TempExeDir dir;
    WriteLog("first", kMonitorLog);
    WriteLog(G("第二=[x]"), kMonitorLog);
    WriteLog("match", kMatchLog);
    EXPECT_EQ(dir.Read("Log/informlog.txt"), "first\r\n" + G("第二=[x]") + "\r\n");
    EXPECT_EQ(dir.Read("Log/log.txt"), "match\r\n");
}

TEST(WriteLog, KeepsEarlierLinesAndAFolderNamedInAnotherCase) {
    TempExeDir dir;
    std::filesystem::create_directory(dir.File("log"));
    dir.Write("log/informlog.txt", "old\r\n");
    WriteLog("new", kMonitorLog);
    EXPECT_EQ(dir.Read("log/informlog.txt"), "old\r\nnew\r\n");
    EXPECT_FALSE(dir.Exists("Log"));
}

TEST(WriteLog, AbsorbsEveryFailure) {
    TempExeDir dir;
    SetExeDirForTesting(dir.File("missing/deeper"));
    EXPECT_NO_THROW(WriteLog("lost", kMonitorLog));
    SetExeDirForTesting(dir.path());
    dir.Write("Log", "a file where the folder should be");
    EXPECT_NO_THROW(WriteLog("lost", kMonitorLog));
}

TEST(LogLines, TheFiveLayoutsByteForByte) {
    const std::string d = "2026-12-7 9:05:03", w = G("新窗口");
    EXPECT_EQ(loglines::RegexMatch(d, "1", w, "128", G("价格(\\d+)")),
              d + "=1=" + w + "=128==" + G("价格(\\d+)"));
    EXPECT_EQ(loglines::KeywordMatch(d, "12", w, "a+b"), d + "=12=" + w + "=KeywordOk==a+b");
    EXPECT_EQ(loglines::NothingFound(d, w),
              d + "[0][]" + G("在刚才的网页刷新中没有发现要监控的变化") + "[" + w + "]");
    EXPECT_EQ(loglines::RepeatSkipped(d, "5", "128", w),
              d + "[5][128]" + G("发现重复提醒信息，跳过") + "[" + w + "]");
    EXPECT_EQ(loglines::ChangeNotified(d, "0", "a\r\nb", w),
              d + "[0][a\r\nb]" + G("监控点信息发生变化，发出提醒") + "[" + w + "]");
}

}  // namespace
}  // namespace nuvaro
