// A restart resumes watching: the windows that monitored open their pages and monitor again,
// without a box, and their first tick knows what was notified before the restart.
#include <gmock/gmock.h>
#include <httplib.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/notebook.h>

#include <thread>

#include "app/monitor_window.h"
#include "app/notice_alerts.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "harness/monitor_fixture.h"
#include "monitor/run_state.h"
#include "monitor/window_status_text.h"
#include "platform/browser_panel.h"
#include "platform/wx/tray_icon.h"
#include "support/notify_helpers.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

class ResumeTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        server.SetPage("/price", "<html><body><b>价格128</b></body></html>");
        server.SetPage("/news", "<html><body>今日新闻</body></html>");
        WriteConfig(
            "[1]\nWindowName=首页\nRefreshTime=1\n"
            "[2]\nWindowName=价格\nurl=" +
            server.Url("/price") +
            "\nRefreshTime=2\nRegx=价格\\d+\n"
            "[3]\nWindowName=新闻\nurl=" +
            server.Url("/news") + "\nRefreshTime=1\nRegx=新闻\n");
    }
    int TabImage(int n) const {
        TMainFrm& f = *frame;
        return f.PageControl()->GetPageImage(f.PageControl()->FindPage(f.Window(n)->Page()));
    }
};

TEST_F(ResumeTest, AWindowThatMonitoredOpensItsPageAndMonitorsAgainWithoutABox) {
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格\\d+");
    f.StartStopNClick(1);
    Tick(1);  // notified: 价格128
    ASSERT_EQ(InformLines().size(), 1u);

    TMainFrm& again = RestartFrame();
    notices->shown.clear();
    EXPECT_TRUE(again.IsMonitoring(1));
    EXPECT_FALSE(again.IsMonitoring(0));
    EXPECT_FALSE(again.IsMonitoring(2));
    EXPECT_EQ(again.Engine().Interval(1), 120000ms);
    EXPECT_EQ(again.Window(1)->StartStopButton()->GetLabel().utf8_string(), "停止监控");
    EXPECT_EQ(TabImage(1), TabIconIndex({.running = true}));
    EXPECT_EQ(TabImage(2), TabIconIndex({.running = false}));
    EXPECT_THAT(again.TrayIcon()->ToolTip().utf8_string(),
                ::testing::HasSubstr("正在监控：1 个窗口"));
    BrowserPanel* browser = again.Window(1)->Browser();
    ASSERT_TRUE(PumpUntil(
        [&] { return browser->LocationURL() == server.Url("/price") && !browser->IsLoading(); }));
    EXPECT_EQ(again.Window(2)->Browser()->LocationURL(), "");  // not monitoring: not opened

    Tick(1);  // the same price as before the restart: a repeat, not sent again
    ASSERT_EQ(InformLines().size(), 2u);
    EXPECT_THAT(InformLines()[1], ::testing::HasSubstr(text::kLogRepeat));
    EXPECT_TRUE(notices->shown.empty());
}

TEST_F(ResumeTest, TheMenuItemIsOnByDefaultAndOffEveryWindowStartsStopped) {
    TMainFrm& f = StartFrame();
    wxMenuItem* item = f.ResumeItem();
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->IsCheckable());
    EXPECT_TRUE(item->IsChecked());
    EXPECT_EQ(item->GetItemLabelText().utf8_string(), "启动时恢复监控");
    EXPECT_EQ(item->GetMenu(), f.GetMenuBar()->GetMenu(0));  // 系统设置
    f.StartAllClick();
    ASSERT_TRUE(f.IsMonitoring(1) && f.IsMonitoring(2));

    item->Check(false);
    f.ResumeMenuClick();
    TMainFrm& off = RestartFrame();
    EXPECT_FALSE(off.ResumeItem()->IsChecked());
    for (int n : {0, 1, 2}) EXPECT_FALSE(off.IsMonitoring(n)) << n;
    EXPECT_EQ(off.Window(1)->Browser()->LocationURL(), "");

    // Turned on again, what monitored before the start without resume is not taken up.
    off.ResumeItem()->Check(true);
    off.ResumeMenuClick();
    TMainFrm& on = RestartFrame();
    EXPECT_TRUE(on.ResumeItem()->IsChecked());
    for (int n : {0, 1, 2}) EXPECT_FALSE(on.IsMonitoring(n)) << n;
}

TEST_F(ResumeTest, AClosedWindowDoesNotMonitorAtTheNextStart) {
    TMainFrm& f = StartFrame();
    f.StartAllClick();
    f.PageControl()->SetSelection(f.PageControl()->FindPage(f.Window(2)->Page()));
    f.CloseWindowClick();
    TMainFrm& again = RestartFrame();
    EXPECT_TRUE(again.IsMonitoring(1));
    ASSERT_TRUE(again.Window(2));  // its slot keeps its name: it is built again
    EXPECT_FALSE(again.IsMonitoring(2));
}

// A closed window's slot forgets what it notified: a new window there tells its first find.
TEST_F(ResumeTest, ANewWindowInAClosedWindowsSlotStartsAfresh) {
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格\\d+");
    f.StartStopNClick(1);
    Tick(1);  // notified: 价格128
    ASSERT_EQ(InformLines().size(), 1u);
    f.PageControl()->SetSelection(f.PageControl()->FindPage(f.Window(1)->Page()));
    f.CloseWindowClick();
    EXPECT_EQ(RunState(dir.File(RunState::kFileName)).LastMatch(2).size, 0u);

    PrepareWindow(1, "新价格", "/price", "价格\\d+");
    f.StartStopNClick(1);
    Tick(1);  // the same text, but new to this window: a change, not a repeat
    ASSERT_EQ(InformLines().size(), 2u);
    EXPECT_THAT(InformLines()[1], ::testing::Not(::testing::HasSubstr(text::kLogRepeat)));
    EXPECT_THAT(InformLines()[1], ::testing::HasSubstr("价格128"));
}

// A window that cannot monitor any more (its condition was removed from Config.inf meanwhile)
// says why in the error log, not in a box that nobody may be there to see.
TEST_F(ResumeTest, AWindowThatCannotStartAgainIsLoggedNotShown) {
    TMainFrm& f = StartFrame();
    f.StartAllClick();
    CloseFrame();
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=价格\nurl=" + server.Url("/price") +
                "\nRefreshTime=2\n[3]\nWindowName=新闻\nurl=" + server.Url("/news") +
                "\nRefreshTime=1\nRegx=新闻\n");
    notices->shown.clear();
    TMainFrm& again = StartFrame();
    EXPECT_FALSE(again.IsMonitoring(1));
    EXPECT_TRUE(again.IsMonitoring(2));
    EXPECT_TRUE(notices->shown.empty());
    EXPECT_THAT(ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt"))),
                ::testing::HasSubstr("[2][价格]启动时未能恢复监控：您没有设定监控条件！"));
    EXPECT_FALSE(RunState(dir.File(RunState::kFileName)).WasMonitoring(2));
}

// The default page resumed at start is named on its tab and in the tray tip, as when its page
// was opened by hand, not "默认页面".
TEST_F(ResumeTest, TheResumedDefaultPageShowsItsNameOnItsTabAndInTheTrayTip) {
    WriteConfig("[1]\nWindowName=首页\nurl=" + server.Url("/news") +
                "\nRefreshTime=1\nRegx=新闻\n[2]\nWindowName=价格\nurl=" + server.Url("/price") +
                "\nRefreshTime=2\n");
    RunState(dir.File(RunState::kFileName)).SetMonitoring(1, true);
    TMainFrm& f = StartFrame();
    ASSERT_TRUE(f.IsMonitoring(0));
    EXPECT_EQ(f.PageControl()->GetPageText(0).utf8_string(), "首页");
    EXPECT_EQ(f.PageControl()->GetPageText(1).utf8_string(), "价格");
    f.PageControl()->SetSelection(1);
    Tick(0);  // found while another tab is in front: named as not yet looked at
    EXPECT_THAT(f.TrayIcon()->ToolTip().utf8_string(),
                ::testing::HasSubstr("有未查看的变化：首页"));

    // A window that did not monitor keeps the designed caption until its page is opened.
    f.StopAllClick();
    TMainFrm& again = RestartFrame();
    EXPECT_EQ(again.PageControl()->GetPageText(0).utf8_string(), "默认页面");
}

// A start while the network is still down (a reboot before the line is up): the page cannot be
// opened, the window monitors on, and once its server is back its tick reads the page.
TEST_F(ResumeTest, AWindowResumedWhileItsServerIsDownReadsItsPageOnceTheServerIsBack) {
    const int port = FreeLoopbackPort();  // nothing listens there: refused
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/price";
    WriteConfig("[1]\nWindowName=首页\nRefreshTime=1\n[2]\nWindowName=价格\nurl=" + url +
                "\nRefreshTime=1\nRegx=价格\\d+\n");
    {
        RunState state(dir.File(RunState::kFileName));
        state.SetMonitoring(2, true);  // slot 2: window 1
        state.SetLastMatch(2, ToGbk("价格128"));
    }
    TMainFrm& f = StartFrame();
    ASSERT_TRUE(f.IsMonitoring(1));
    BrowserPanel* browser = f.Window(1)->Browser();
    ASSERT_TRUE(PumpUntil([&] { return !browser->IsLoading(); }));

    Tick(1);  // refused: told as such, not as a page never opened
    const std::string errors = ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")));
    EXPECT_THAT(errors, ::testing::HasSubstr(text::kLoadFailed));
    EXPECT_THAT(errors, ::testing::Not(::testing::HasSubstr(text::kOpenPageFirstAdded)));
    EXPECT_TRUE(f.IsMonitoring(1));

    httplib::Server site;
    site.Get("/price", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body><b>价格128</b></body></html>", "text/html; charset=utf-8");
    });
    std::thread serving([&] { site.listen("127.0.0.1", port); });
    ASSERT_TRUE(PumpUntil([&] { return site.is_running(); }));
    Tick(1);  // the price before the restart: a repeat
    site.stop();
    serving.join();
    ASSERT_FALSE(InformLines().empty());
    EXPECT_THAT(InformLines().back(), ::testing::HasSubstr(text::kLogRepeat));
    EXPECT_EQ(browser->LocationURL(), url);
}

}  // namespace
}  // namespace nuvaro::testing
