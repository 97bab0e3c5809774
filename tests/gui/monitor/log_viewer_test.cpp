// The log viewer of "查看监控日志": the real viewer over logs written as the program writes them.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dataview.h>
#include <wx/textctrl.h>

#include <filesystem>

#include "app/monitor_window.h"
#include "harness/main_frame_fixture.h"
#include "monitor/monitor_log.h"
#include "monitor/ui/log_viewer_frm.h"
#include "notify/send_log.h"

namespace nuvaro::testing {
namespace {

std::string Time(int i) {
    return "2026-12-" + std::to_string(8 + i / 86400) + " " + std::to_string(i / 3600 % 24) + ":" +
           std::to_string(i / 60 % 60) + ":" + std::to_string(i % 60);
}

class LogViewerTest : public MainFrameTest {
  protected:
    // The viewer as a window's button opens it, or with the entries of all windows.
    TLogViewerFrm& Open(TMainFrm& f, MonitorWindow* window = nullptr) {
        if (window) {
            Click(window->LogButton());
        } else {
            f.SeeLogClick();
        }
        TLogViewerFrm* viewer = f.LogViewer();
        EXPECT_NE(viewer, nullptr);
        EXPECT_TRUE(PumpUntil([&] { return !viewer->Loading(); }, 30000));
        return *viewer;
    }
    static std::vector<std::string> Column(const TLogViewerFrm& v, long column) {
        std::vector<std::string> cells;
        for (unsigned row = 0; row < v.RowCount(); ++row) cells.push_back(v.Cell(row, column));
        return cells;
    }
    static long RowOf(TLogViewerFrm& v, const wxDataViewItem& item) {
        auto* model = static_cast<wxDataViewVirtualListModel*>(v.List()->GetModel());
        return item.IsOk() ? static_cast<long>(model->GetRow(item)) : -1;
    }
};

TEST_F(LogViewerTest, ShowsTheMergedLogsNewestFirstInChinese) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=显卡\n");
    WriteLog(loglines::ChangeNotified("2026-12-8 1:00:00", "2", GT("显卡到货了"), "显卡"),
             kMonitorLog);
    WriteLog(loglines::NothingFound("2026-12-8 2:00:00", "首页"), kMonitorLog);
    WriteLog(loglines::TickError("2026-12-8 3:00:00", "2", "显卡", "网页加载失败：HTTP 500"),
             kErrorLog);
    AppendSendLog(dir.path(), SendLogLine("2026-12-8 1:00:05",
                                          {"EMAIL", "2", GT("a@b.c"), false, GT("连接被拒绝")}));
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    ASSERT_EQ(v.RowCount(), 4u);
    EXPECT_EQ(v.Cell(0, 0), "2026-12-8 3:00:00");
    EXPECT_EQ(v.Cell(0, 1), "显卡");
    EXPECT_EQ(v.Cell(0, 2), "错误");
    EXPECT_EQ(v.Cell(0, 4), "网页加载失败：HTTP 500");
    EXPECT_EQ(v.Cell(1, 2), "没有发现变化");
    EXPECT_EQ(v.Cell(2, 1), "显卡");  // the send log's slot 2 is the window 显卡
    EXPECT_EQ(v.Cell(2, 2), "发送失败");
    EXPECT_EQ(v.Cell(2, 4), "EMAIL a@b.c：连接被拒绝");
    EXPECT_EQ(v.Cell(3, 4), "显卡到货了");
    EXPECT_EQ(v.GetTitle().utf8_string(), "监控日志");
    EXPECT_FALSE(v.OlderButton()->IsEnabled());
}

// Beside each change the found text of the same window's change before it: old -> new.
TEST_F(LogViewerTest, AChangeShowsTheValueItReplacedAndAPageCannotForgeAnEntry) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=显卡\n");
    WriteLog(loglines::ChangeNotified(Time(1), "2", GT("价格199"), "显卡"), kMonitorLog);
    WriteLog(loglines::ChangeNotified(Time(2), "0", GT("头条"), "首页"), kMonitorLog);
    WriteLog(loglines::ChangeNotified(
                 Time(3), "2",
                 GT("价格159\r\n2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]"),
                 "显卡"),
             kMonitorLog);
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    ASSERT_EQ(v.RowCount(), 3u);
    EXPECT_EQ(v.Cell(0, 1), "显卡");
    EXPECT_EQ(v.Cell(0, 3), "价格199");
    EXPECT_EQ(v.Cell(0, 4),
              "价格159\\r\\n2099-12-31 0:00:00[0][转账成功]监控点信息发生变化，发出提醒[银行]");
    EXPECT_EQ(v.Cell(1, 3), "");  // 首页's first change
    EXPECT_EQ(v.Cell(2, 3), "");
}

TEST_F(LogViewerTest, AnEntryWrittenWhileOpenAppearsAndTheSelectionAndViewStay) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=显卡\n");
    for (int i = 0; i < 300; ++i) {
        WriteLog(loglines::ChangeNotified(Time(i), "2", GT("价格" + std::to_string(i)), "显卡"),
                 kMonitorLog);
    }
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    ASSERT_EQ(v.RowCount(), 300u);
    wxDataViewCtrl* table = v.List();
    auto* model = static_cast<wxDataViewVirtualListModel*>(table->GetModel());
    table->EnsureVisible(model->GetItem(200));
    table->EnsureVisible(model->GetItem(100));
    table->Select(model->GetItem(120));
    Pump(300);
    const long top = RowOf(v, table->GetTopItem());
    ASSERT_GT(top, 0);
    const std::string topText = v.Cell(top, 4);

    WriteLog(loglines::ChangeNotified(Time(400), "2", GT("价格新"), "显卡"), kMonitorLog);
    WriteLog(loglines::TickError(Time(401), "2", "显卡", "网页加载失败"), kErrorLog);
    ASSERT_TRUE(PumpUntil([&] { return v.RowCount() == 302u; }, 10000));
    Pump(300);
    EXPECT_EQ(v.Cell(0, 2), "错误");
    EXPECT_EQ(v.Cell(1, 4), "价格新");
    EXPECT_EQ(v.Cell(1, 3), "价格299");
    EXPECT_EQ(RowOf(v, table->GetSelection()), 122);  // the same entry
    EXPECT_EQ(v.Cell(RowOf(v, table->GetTopItem()), 4), topText);

    // A user looking at the newest entries sees the next one come.
    table->EnsureVisible(model->GetItem(0));
    Pump(300);
    WriteLog(loglines::NothingFound(Time(402), "首页"), kMonitorLog);
    ASSERT_TRUE(PumpUntil([&] { return v.RowCount() == 303u; }, 10000));
    Pump(300);
    EXPECT_EQ(RowOf(v, table->GetTopItem()), 0);
    EXPECT_EQ(v.Cell(0, 2), "没有发现变化");
}

TEST_F(LogViewerTest, AWindowsButtonOpensItShowingThatWindowsEntries) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=显卡\nurl=about:blank\n");
    WriteLog(loglines::NothingFound(Time(1), "首页"), kMonitorLog);
    WriteLog(loglines::ChangeNotified(Time(2), "2", GT("到货"), "显卡"), kMonitorLog);
    WriteLog(loglines::TickError(Time(3), "2", "显卡", "boom"), kErrorLog);
    TMainFrm& f = StartFrame();
    ASSERT_NE(f.Window(1), nullptr);
    TLogViewerFrm& v = Open(f, f.Window(1));
    EXPECT_EQ(v.WindowFilter()->GetStringSelection().utf8_string(), "显卡");
    EXPECT_EQ(Column(v, 1), (std::vector<std::string>{"显卡", "显卡"}));
    // Open already: the other window's button shows that window's entries in it.
    Click(f.DefaultPage().LogButton());
    ASSERT_TRUE(PumpUntil([&] { return v.RowCount() == 1u; }, 5000));
    EXPECT_EQ(f.LogViewer(), &v);
    EXPECT_EQ(v.Cell(0, 1), "首页");
}

TEST_F(LogViewerTest, ALargeLogOpensWithItsNewestPartAndFiltersByWindowAndText) {
    std::string inform;
    for (int i = 0; i < 100000; ++i) {
        const char* window = i % 2 ? "甲" : "乙";
        inform +=
            loglines::ChangeNotified(Time(i), "2", GT("价格" + std::to_string(i)), window).bytes() +
            "\r\n";
    }
    std::filesystem::create_directories(dir.File("Log"));
    dir.Write("Log/informlog.txt", inform);
    TMainFrm& f = StartFrame();
    TLogViewerFrm& v = Open(f);
    ASSERT_GT(inform.size(), 2 * LogFileReader::kChunkBytes);
    EXPECT_LT(v.RowCount(), 100000u);  // the newest part
    EXPECT_EQ(v.Cell(0, 4), "价格99999");
    for (unsigned rows = v.RowCount(); v.OlderButton()->IsEnabled(); rows = v.RowCount()) {
        Click(v.OlderButton());
        ASSERT_TRUE(PumpUntil([&] { return !v.Loading() && v.RowCount() > rows; }, 30000));
    }
    EXPECT_EQ(v.RowCount(), 100000u);
    v.WindowFilter()->SetStringSelection(wxString::FromUTF8("甲"));
    v.ApplyFilter();
    EXPECT_EQ(v.RowCount(), 50000u);
    v.Search()->SetValue(wxString::FromUTF8("价格4242"));  // typing filters a moment later
    ASSERT_TRUE(PumpUntil([&] { return v.RowCount() < 50000u; }, 5000));
    // 价格42421 ... 价格42429: the odd ones are 甲's; and 价格42431, whose value before was
    // 价格42429.
    ASSERT_EQ(v.RowCount(), 6u);
    EXPECT_EQ(v.Cell(0, 4), "价格42431");
    EXPECT_EQ(v.Cell(0, 3), "价格42429");
    for (unsigned row = 1; row < v.RowCount(); ++row) {
        EXPECT_NE(v.Cell(row, 4).find("价格4242"), std::string::npos);
        EXPECT_EQ(v.Cell(row, 1), "甲");
    }
}

}  // namespace
}  // namespace nuvaro::testing
