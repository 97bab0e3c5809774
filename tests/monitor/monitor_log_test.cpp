#include "monitor/monitor_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <regex>

#include "core/exe_dir.h"
#include "core/text_cut.h"
#include "notify/send_log.h"
#include "support/notify_helpers.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;
using testing::TempExeDir;

TEST(WriteLog, FirstLineCreatesFolderAndFileLaterLinesAppendWithCrLf) {
    TempExeDir dir;
    WriteLog(GbkText::FromBytes("first"), kMonitorLog);
    WriteLog(GT("第二=[x]"), kMonitorLog);
    WriteLog(GbkText::FromBytes("match"), kMatchLog);
    EXPECT_EQ(dir.Read("Log/informlog.txt"), "first\r\n" + G("第二=[x]") + "\r\n");
    EXPECT_EQ(dir.Read("Log/log.txt"), "match\r\n");
}

TEST(WriteLog, KeepsEarlierLinesAndAFolderNamedInAnotherCase) {
    TempExeDir dir;
    std::filesystem::create_directory(dir.File("log"));
    dir.Write("log/informlog.txt", "old\r\n");
    WriteLog(GbkText::FromBytes("new"), kMonitorLog);
    EXPECT_EQ(dir.Read("log/informlog.txt"), "old\r\nnew\r\n");
    EXPECT_FALSE(dir.Exists("Log"));
}

TEST(WriteLog, AbsorbsEveryFailure) {
    TempExeDir dir;
    SetExeDirForTesting(dir.File("missing/deeper"));
    EXPECT_NO_THROW(WriteLog(GbkText::FromBytes("lost"), kMonitorLog));
    SetExeDirForTesting(dir.path());
    dir.Write("Log", "a file where the folder should be");
    EXPECT_NO_THROW(WriteLog(GbkText::FromBytes("lost"), kMonitorLog));
}

// Makes every write past `bytes` of a file fail part way, as a full disk does.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

  private:
    rlimit m_old{};
};

// The note lines of the error log in `logDir`, without their date-time text (checked here).
std::vector<std::string> Notes(const TempExeDir& dir, const std::string& logDir = "Log") {
    std::vector<std::string> notes;
    const std::regex dateTime(R"(^\d{4}-\d{1,2}-\d{1,2}( \d{1,2}:\d{2}:\d{2})?\[0\]\[\])");
    for (const std::string& line : testing::CrLfLines(dir.Read(logDir + "/errorlog.txt"))) {
        std::smatch m;
        EXPECT_TRUE(std::regex_search(line, m, dateTime)) << line;
        notes.push_back(m.suffix());
    }
    return notes;
}

std::string LostNote(int count, const char* logName) {
    return G("日志写入失败，丢失 " + std::to_string(count) + " 行：" + logName);
}

TEST(WriteLog, ALineThatDoesNotFitIsCutBackWholeAndNotedWhenWritingWorksAgain) {
    TempExeDir dir;
    WriteLog(GbkText::FromBytes("first"), kMonitorLog);
    {
        FileSizeLimit full(1024);
        WriteLog(GbkText::FromBytes(std::string(3000, 'a')),
                 kMonitorLog);  // written in part, then refused
        WriteLog(GbkText::FromBytes(std::string(3000, 'b')), kMonitorLog);
        WriteLog(GbkText::FromBytes(std::string(3000, 'c')),
                 kMatchLog);  // its file did not exist yet
        EXPECT_EQ(dir.Read("Log/informlog.txt"), "first\r\n");
        EXPECT_FALSE(dir.Exists("Log/log.txt"));
        EXPECT_FALSE(dir.Exists("Log/errorlog.txt"));
    }
    WriteLog(GbkText::FromBytes("next"), kMonitorLog);
    WriteLog(GbkText::FromBytes("after"), kMonitorLog);
    EXPECT_EQ(dir.Read("Log/informlog.txt"), "first\r\nnext\r\nafter\r\n");
    EXPECT_THAT(Notes(dir),
                ::testing::UnorderedElementsAre(LostNote(2, "informlog"), LostNote(1, "log")));
}

TEST(AppendSendLog, SharesTheWholeLineWriting) {
    TempExeDir dir;
    AppendSendLog(dir.path(), GT("one"));
    {
        FileSizeLimit full(64);
        AppendSendLog(dir.path(), GT(std::string(100, 'x')));
    }
    AppendSendLog(dir.path(), GT("two"));
    EXPECT_EQ(dir.Read("Log/sendlog.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(Notes(dir), std::vector<std::string>{LostNote(1, "sendlog")});
}

// A real full disk: a tmpfs of 16 KiB (needs the right to mount; skipped without it).
class TinyFilesystem {
  public:
    explicit TinyFilesystem(const std::string& at) : m_at(at) {
        std::filesystem::create_directory(at);
        m_mounted = mount("tmpfs", at.c_str(), "tmpfs", 0, "size=16k") == 0;
    }
    ~TinyFilesystem() {
        if (m_mounted) umount2(m_at.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }

  private:
    std::string m_at;
    bool m_mounted = false;
};

TEST(WriteLog, OnAFullFilesystemNoPartLineIsLeft) {
    TempExeDir outer;
    TinyFilesystem disk(outer.File("disk"));
    if (!disk.Mounted()) GTEST_SKIP() << "no right to mount a tmpfs here";
    SetExeDirForTesting(outer.File("disk"));
    WriteLog(GbkText::FromBytes("first"), kMonitorLog);
    outer.Write("disk/filler", std::string(8192, 'f'));
    for (int i = 0; i < 3; ++i) WriteLog(GbkText::FromBytes(std::string(10000, 'a')), kMonitorLog);
    EXPECT_EQ(outer.Read("disk/Log/informlog.txt"), "first\r\n");
    std::filesystem::remove(outer.File("disk/filler"));  // room again
    WriteLog(GbkText::FromBytes("next"), kMonitorLog);
    EXPECT_EQ(outer.Read("disk/Log/informlog.txt"), "first\r\nnext\r\n");
    EXPECT_EQ(Notes(outer, "disk/Log"), std::vector<std::string>{LostNote(3, "informlog")});
    SetExeDirForTesting(outer.path());
}

TEST(LogLines, TheFiveLayoutsByteForByte) {
    const std::string d = "2026-12-7 9:05:03", name = "新窗口", w = G(name);
    EXPECT_EQ(
        loglines::RegexMatch(d, "1", name, GbkText::FromBytes("128"), GT("价格(\\d+)")).bytes(),
        d + "=1=" + w + "=128==" + G("价格(\\d+)"));
    EXPECT_EQ(loglines::KeywordMatch(d, "12", name, GbkText::FromBytes("a+b")).bytes(),
              d + "=12=" + w + "=KeywordOk==a+b");
    EXPECT_EQ(loglines::NothingFound(d, name).bytes(),
              d + "[0][]" + G("在刚才的网页刷新中没有发现要监控的变化") + "[" + w + "]");
    EXPECT_EQ(loglines::RepeatSkipped(d, "5", GbkText::FromBytes("128"), name).bytes(),
              d + "[5][128]" + G("发现重复提醒信息，跳过") + "[" + w + "]");
    EXPECT_EQ(loglines::ChangeNotified(d, "0", GbkText::FromBytes("a\r\nb"), name).bytes(),
              d + "[0][a\\r\\nb]" + G("监控点信息发生变化，发出提醒") + "[" + w + "]");
}

// Whatever a page, a server or the user wrote stays inside its field of one line.
TEST(LogLines, EveryTextIsWrittenOnOneLineAndAFoundTextCut) {
    const std::string d = "2026-12-7 9:05:03";
    const std::string lines[] = {
        loglines::RegexMatch(d, "1", "w\n", GbkText::FromBytes("f\r\n\x1b"),
                             GbkText::FromBytes("e\n"))
            .bytes(),
        loglines::KeywordMatch(d, "1", "w", GbkText::FromBytes("a\r\nb")).bytes(),
        loglines::NothingFound(d, "w\r").bytes(),
        loglines::RepeatSkipped(d, "2", GbkText::FromBytes(std::string(3, '\0')), "w").bytes(),
        loglines::ChangeNotified(d, "2", GbkText::FromBytes(std::string(100000, 'x') + "\n"), "w")
            .bytes(),
        loglines::TickError(d, "2", "w", "网页加载失败：\r\n2099-1-1[0][]假的").bytes()};
    for (const std::string& line : lines) {
        for (char c : line)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << line.substr(0, 80);
        EXPECT_LT(line.size(), 2 * kFoundTextLimit + 200);
    }
    EXPECT_EQ(lines[0], d + "=1=w\\n=f\\r\\n\\x1B==e\\n");
    EXPECT_EQ(lines[3], d + "[2][\\x00\\x00\\x00]" + G("发现重复提醒信息，跳过") + "[w]");
    EXPECT_NE(lines[4].find(G("…（共 100001 字）]")), std::string::npos);
}

}  // namespace
}  // namespace nuvaro
