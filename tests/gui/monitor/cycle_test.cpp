// The monitoring cycle over the real main window and WebKit browser, with pages on 127.0.0.1.
// Its rules are tested headless (tests/monitor); these check what only the real browser and
// the real event loop can show.
#include <httplib.h>
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <atomic>
#include <memory>

#include "app/monitor_window.h"
#include "banners/test_endpoints.h"
#include "core/gbk.h"
#include "harness/monitor_fixture.h"
#include "monitor/window_status_text.h"
#include "platform/gtk/web_browser.h"
#include "platform/tab_tooltip.h"
#include "platform/wx/tray_icon.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

TEST_F(MonitorTest, TicksNotifyAChangeSkipARepeatAndLogNothingFound) {
    server.SetPage("/price", Page("<b>价格128</b>"));
    TMainFrm& f = StartFrame();
    PrepareWindow(2, "价格", "/price", "价格(\\d+)", "1");
    f.Window(2)->RefreshEdit()->SetValue("1");
    Click(f.Window(2)->StartStopButton());
    ASSERT_TRUE(f.IsMonitoring(2));
    EXPECT_EQ(f.Window(2)->StartStopButton()->GetLabel().utf8_string(), "停止监控");
    notices->shown.clear();

    Tick(2);
    server.SetPage("/price", Page("<b>价格128</b> 其它"));
    Tick(2);
    server.SetPage("/price", Page("<b>缺货</b>"));
    Tick(2);
    server.SetPage("/price", Page("<b>价格99</b>"));
    Tick(2);
    EXPECT_EQ(InformLines(), (Lines{"[3][128]监控点信息发生变化，发出提醒[价格]",
                                    "[3][128]发现重复提醒信息，跳过[价格]",
                                    "[0][]在刚才的网页刷新中没有发现要监控的变化[价格]",
                                    "[3][99]监控点信息发生变化，发出提醒[价格]"}));
    EXPECT_EQ(MatchLines().front(), "=3=价格=128==价格(\\d+)");
    EXPECT_TRUE(notices->shown.empty());           // ticks show nothing
    EXPECT_GE(server.RequestCount("/price"), 5u);  // every tick reloaded the page
}

TEST_F(MonitorTest, ManualTestsReadTheLivePageOnBothKindsOfWindow) {
    server.SetPage("/p", Page("<div id=d></div><script>d.textContent='到' + '货';</script>"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/p", "到货");
    PrepareWindow(1, "甲", "/p", "到货");
    f.RefreshPageClick();
    WaitForTick(0);
    f.RefreshPageNClick(1);
    WaitForTick(1);
    EXPECT_EQ(
        notices->Texts(),
        (Lines{"您设定的监控条件在当前页面匹配成功，系统将依据您选择的通知方式，发出提醒消息.",
               "您设定的监控条件在当前页面匹配成功,系统将依据您选择的通知方式，发出提醒消息。"}));
    EXPECT_EQ(InformLines(), (Lines{"[0][到货]监控点信息发生变化，发出提醒[默认]",
                                    "[2][到货]监控点信息发生变化，发出提醒[甲]"}));
}

TEST_F(MonitorTest, DefaultPageGoesBackToItsAddressAddedWindowsStayWhereTheyAre) {
    server.SetPage("/home", Page("home"));
    server.SetPage("/away", Page("away"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/home", "home");
    PrepareWindow(1, "甲", "/home", "home");
    for (int n : {0, 1}) {
        BrowserPanel* b = f.Window(n)->Browser();
        b->Navigate(server.Url("/away"));
        ASSERT_TRUE(
            PumpUntil([&] { return b->LocationURL() == server.Url("/away") && !b->IsLoading(); }));
    }
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.StartStopClick();
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    Tick(0);
    Tick(1);
    EXPECT_EQ(f.DefaultPage().Browser()->LocationURL(), server.Url("/home"));
    EXPECT_EQ(f.Window(1)->Browser()->LocationURL(), server.Url("/away"));
    EXPECT_EQ(InformLines(), (Lines{"[0][home]监控点信息发生变化，发出提醒[默认]",
                                    "[0][]在刚才的网页刷新中没有发现要监控的变化[甲]"}));
}

TEST_F(MonitorTest, DefaultPageComparesTheAddressExactly) {
    server.SetPage("/x", Page("x"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/x", "x");
    // The box lacks the scheme the browser reports: every tick navigates to the box's text.
    f.DefaultPage().UrlEdit()->SetValue(server.Url("/x").substr(7));
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.StartStopClick();
    size_t before = server.RequestCount("/x");
    Tick(0);
    EXPECT_EQ(server.RequestCount("/x"), before + 1);
    EXPECT_EQ(f.DefaultPage().Browser()->LocationURL(), server.Url("/x"));
}

TEST_F(MonitorTest, LoadFailuresEndTheTickInTheErrorBoxAndTheErrorLog) {
    server.Get("/p", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content(Page("到货"), "text/html; charset=utf-8");
    });
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    Tick(1);
    EXPECT_EQ(LastText(), "网页加载失败：服务器内部错误（HTTP 500 Internal Server Error）");

    // A port that closed is a failure of its own kind, not a "nothing found".
    auto closing = std::make_unique<LocalHttpServer>();
    closing->SetPage("/gone", Page("soon gone"));
    std::string gone = closing->Url("/gone");
    BrowserPanel* b = f.Window(1)->Browser();
    b->Navigate(gone);
    ASSERT_TRUE(PumpUntil([&] { return b->LocationURL() == gone && !b->IsLoading(); }));
    closing.reset();
    Tick(1);
    EXPECT_NE(LastText().find("网页加载失败："), std::string::npos) << LastText();
    EXPECT_EQ(notices->shown.at(1).caption, "Nuvaro - 甲");
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));
    std::string errors = ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")));
    EXPECT_NE(
        errors.find("[2][甲]网页加载失败：服务器内部错误（HTTP 500 Internal Server Error）\r\n"),
        std::string::npos)
        << errors;
    EXPECT_TRUE(f.IsMonitoring(1));
}

// A page whose document has come but not all of its parts is read as it stands after the
// time-out; one whose server has not answered at all is a failure, not the old page again.
TEST_F(MonitorTest, APageThatDoesNotFinishLoadingIsReadAsItStandsAfterTheTimeOut) {
    TMainFrm& f = StartFrame();
    f.Engine().SetTimeouts({.load = 1500ms, .read = 30s});
    auto reply = std::make_shared<Gate>();  // outlives the test: the server may still wait on it
    auto hold = std::make_shared<std::atomic<bool>>(false);
    auto holdPage = std::make_shared<std::atomic<bool>>(false);
    server.Get("/p", [reply, hold, holdPage](const httplib::Request&, httplib::Response& res) {
        if (*holdPage) reply->Wait();
        const char* image = *hold ? "<img src=\"/slow.png\">" : "";
        res.set_content(Page(std::string("到货") + image), "text/html; charset=utf-8");
    });
    server.Get("/slow.png", [reply](const httplib::Request&, httplib::Response& res) {
        reply->Wait();
        res.set_content("", "image/png");
    });
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    *hold = true;
    Tick(1);  // an image of the page hangs: the page is read as it stands
    *holdPage = true;
    notices->shown.clear();
    Tick(1);  // the server does not answer at all
    reply->Open();
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[甲]",
                                    "[2][到货]发现重复提醒信息，跳过[甲]"}));
    EXPECT_EQ(LastText(), "网页加载失败：连接超时，服务器 2 秒内没有响应");
}

TEST_F(MonitorTest, APageThatNeverAnswersTheReadEndsTheTickInTheErrorBox) {
    TMainFrm& f = StartFrame();
    f.Engine().SetTimeouts({.load = 500ms, .read = 1500ms});
    // Once loaded, the page's script never stops.
    server.SetPage("/busy", Page("到货<script>addEventListener('load', function() {"
                                 " setTimeout(function() { for (;;) {} }, 300); });</script>"));
    PrepareWindow(1, "甲", "/busy", "到货");
    Pump(500);
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    Tick(1);
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].caption, "Nuvaro - 甲");
    EXPECT_EQ(notices->shown[0].text, "读取网页内容超时：网页没有响应（可能有脚本一直在运行）");
    EXPECT_FALSE(f.TickInProgress(1));
    EXPECT_TRUE(f.IsMonitoring(1));
}

TEST_F(MonitorTest, AWindowClosedMidTickEndsItsTickQuietly) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    f.WindowTimer(1);
    f.PageControl()->SetSelection(1);
    f.CloseWindowClick();
    f.WindowTimer(1);  // a closed window does nothing
    Pump(2500);
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));
    EXPECT_TRUE(notices->shown.empty());
}

int Icon(bool running, bool unseen = false, bool failed = false) {
    return TabIconIndex({running, unseen, failed});
}

// Each tab shows what its window is doing: an icon before the caption (running or stopped,
// marked for a failure and for a change not yet seen), the details on hover.
TEST_F(MonitorTest, TabsShowStoppedMonitoringFailedAndAnUnseenChange) {
    server.SetPage("/p", Page("显卡到货了"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "显卡", "/p", "+86");
    wxNotebook* book = f.PageControl();
    auto image = [&] { return book->GetPageImage(1); };
    auto tip = [&] { return TabToolTip(book, 1).utf8_string(); };
    EXPECT_EQ(image(), Icon(false));
    EXPECT_EQ(book->GetPageText(1).utf8_string(), "显卡");  // the caption stays the name
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    EXPECT_EQ(image(), Icon(true));
    EXPECT_EQ(tip().rfind("状态：正在监控\n上次检查：尚未检查\n下次检查：", 0), 0u) << tip();

    Tick(1);  // the condition does not compile
    EXPECT_EQ(image(), Icon(true, false, true));
    EXPECT_NE(tip().find("上次错误："), std::string::npos) << tip();

    f.Configs()[2].Regx = "到货";
    book->SetSelection(0);
    Tick(1);
    EXPECT_EQ(image(), Icon(true, true, false));
    EXPECT_TRUE(f.ChangeUnseen(1));
    EXPECT_NE(tip().find("发现变化，已提醒：到货"), std::string::npos) << tip();
    book->SetSelection(1);  // looked at
    EXPECT_FALSE(f.ChangeUnseen(1));
    EXPECT_EQ(image(), Icon(true));
    Click(f.Window(1)->StartStopButton());
    EXPECT_EQ(image(), Icon(false));
    EXPECT_EQ(tip().rfind("状态：已停止\n上次检查：", 0), 0u) << tip();
}

// The desktop hears of a change, and once of a window that keeps failing; a click on either
// brings the main window up on that window's tab. The tray icon's tooltip sums it all up.
TEST_F(MonitorTest, BalloonsTellAChangeAndThreeFailuresInARowAndTheTraySumsUp) {
    server.SetPage("/p", Page("显卡到货了"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "显卡", "/p", "+86");
    PrepareWindow(2, "内存", "/p", "无此词");
    for (int n : {1, 2}) {
        f.Window(n)->RefreshEdit()->SetValue("1");
        Click(f.Window(n)->StartStopButton());
    }
    for (int i = 0; i < 4; ++i) Tick(1);
    ASSERT_EQ(balloons->shown.size(), 1u);  // at the third failure, not again at the fourth
    EXPECT_EQ(balloons->shown[0].title, "网页连续监控失败");
    EXPECT_EQ(balloons->shown[0].text.rfind("显卡\n", 0), 0u) << balloons->shown[0].text;
    EXPECT_EQ(f.TrayIcon()->ToolTip().utf8_string(),
              "Nuvaro\n正在监控：2 个窗口\n上次检查失败：显卡\n通知发送失败：0 条");

    f.Configs()[2].Regx = "到货";
    Tick(1);  // works again, and finds a change
    ASSERT_EQ(balloons->shown.size(), 2u);
    EXPECT_EQ(balloons->shown[1].title, "Nuvaro：显卡");
    EXPECT_EQ(balloons->shown[1].text, "发现变化：到货");
    EXPECT_EQ(f.TrayIcon()->ToolTip().utf8_string(),
              "Nuvaro\n正在监控：2 个窗口\n上次检查失败：0 个窗口\n有未查看的变化：显卡\n"
              "通知发送失败：0 条");

    f.PageControl()->SetSelection(2);
    f.Hide();  // in the tray
    balloons->shown[1].onClick();
    EXPECT_TRUE(f.IsShown());
    EXPECT_EQ(f.PageControl()->GetSelection(), 1);
    EXPECT_FALSE(f.ChangeUnseen(1));
}

}  // namespace
}  // namespace nuvaro::testing
