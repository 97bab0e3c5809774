// The log viewer of "查看监控日志": the real viewer over logs written as the program writes them.
#include "monitor/ui/log_viewer_frm.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/monitor_window.h"
#include "harness/main_frame_fixture.h"
#include "monitor/monitor_log.h"
#include "notify/send_log.h"

namespace nuvaro::testing {
namespace {

class LogViewerTest : public MainFrameTest {
protected:
    TLogViewerFrm& Open(TMainFrm& f) {
        Click(f.DefaultPage().LogButton());
        TLogViewerFrm* viewer = f.LogViewer();
        EXPECT_NE(viewer, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return !viewer->Loading(); }, 30000));
        return *viewer;
    }
};

TEST_F(LogViewerTest, ShowsTheMergedLogsNewestFirstInChinese) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=显卡\n");
    WriteLog(loglines::ChangeNotified("2026-12-8 1:00:00", "2", G("显卡到货了"), G("显卡")), kMonitorLog);
    WriteLog(loglines::NothingFound("2026-12-8 2:00:00", G("首页")), kMonitorLog);
    WriteLog(loglines::TickError("2026-12-8 3:00:00", "2", G("显卡"), G("网页加载失败：HTTP 500")),
             kErrorLog);
    AppendSendLog(dir.path(), SendLogLine("2026-12-8 1:00:05", {"EMAIL", "2", "a@b.c", false,
                                                                G("连接被拒绝")}));
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    ASSERT_EQ(v.Shown().size(), 4u);
    EXPECT_EQ(v.RowCount(), 4u);
    EXPECT_EQ(v.Cell(0, 0), "2026-12-8 3:00:00");
    EXPECT_EQ(v.Cell(0, 1), "显卡");
    EXPECT_EQ(v.Cell(0, 2), "错误");
    EXPECT_EQ(v.Cell(0, 3), "网页加载失败：HTTP 500");
    EXPECT_EQ(v.Cell(1, 2), "没有发现变化");
    EXPECT_EQ(v.Cell(2, 1), "显卡");  // the send log's slot 2 is the window 显卡
    EXPECT_EQ(v.Cell(2, 2), "发送失败");
    EXPECT_EQ(v.Cell(2, 3), "EMAIL a@b.c：连接被拒绝");
    EXPECT_EQ(v.Cell(3, 3), "显卡到货了");
    EXPECT_EQ(v.GetTitle().utf8_string(), "监控日志");
}

TEST_F(LogViewerTest, AHundredThousandLinesOpenAndFilterByWindowAndText) {
    std::string inform;
    for (int i = 0; i < 100000; ++i) {
        const char* window = i % 2 ? "甲" : "乙";
        std::string found = "价格" + std::to_string(i);
        inform += loglines::ChangeNotified("2026-12-8 " + std::to_string(i / 3600 % 24) + ":" +
                                               std::to_string(i / 60 % 60 + 10) + ":" +
                                               std::to_string(i % 60 + 10),
                                           "2", G(found), G(window)) +
                  "\r\n";
    }
    std::filesystem::create_directories(dir.File("Log"));
    dir.Write("Log/informlog.txt", inform);
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    EXPECT_EQ(v.Shown().size(), 100000u);
    v.WindowFilter()->SetStringSelection(wxString::FromUTF8("甲"));
    v.ApplyFilter();
    EXPECT_EQ(v.Shown().size(), 50000u);
    v.Search()->SetValue(wxString::FromUTF8("价格4242"));  // typing filters a moment later
    ASSERT_TRUE(PumpUntil([&] { return v.Shown().size() < 50000u; }, 5000));
    ASSERT_EQ(v.Shown().size(), 5u);  // 价格42421 ... 价格42429: the odd ones are 甲's
    for (size_t row = 0; row < v.Shown().size(); ++row) {
        EXPECT_NE(v.Cell(static_cast<long>(row), 3).find("价格4242"), std::string::npos);
        EXPECT_EQ(v.Cell(static_cast<long>(row), 1), "甲");
    }
}

}  // namespace
}  // namespace nuvaro::testing
