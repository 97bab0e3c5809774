// The monitoring cycle on the real main window and browser, with pages on 127.0.0.1.
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <httplib.h>

#include <atomic>

#include "app/monitor_window.h"
#include "banners/test_endpoints.h"
#include "monitor/ui/page_refresh.h"
#include "harness/monitor_fixture.h"
#include "platform/gtk/web_browser.h"

#include <algorithm>
#include <memory>

namespace nuvaro::testing {
namespace {

using Lines = std::vector<std::string>;

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

TEST_F(MonitorTest, DefaultPageStartRefusesAMissingConditionAndABadTime) {
    TMainFrm& f = StartFrame();
    MonitorWindow& page = f.DefaultPage();
    f.RunBeginClick();
    EXPECT_EQ(LastText(), "您没有设定监控条件！");

    f.Configs()[1].Regx = "x";
    for (const char* bad : {"abc", "0", "-5", "35792", ""}) {
        page.RefreshEdit()->SetValue(bad);
        f.RunBeginClick();
        EXPECT_EQ(LastText(), "时间设置格式不对！") << bad;
        EXPECT_EQ(notices->shown.back().caption, "错误");
        EXPECT_EQ(notices->shown.back().icon, Notices::Icon::Error);
        EXPECT_TRUE(notices->shown.back().owned);
        EXPECT_FALSE(f.IsMonitoring(0));
    }
}

TEST_F(MonitorTest, DefaultPageStartAndStopShowTheSavedSlot) {
    WriteConfig("[1]\nWindowName=首页\nurl=http://saved\nRegx=价格\n");
    TMainFrm& f = StartFrame();
    MonitorWindow& page = f.DefaultPage();
    page.NameEdit()->SetValue("unsaved");
    page.RefreshEdit()->SetValue("05");
    f.RunBeginClick();
    EXPECT_TRUE(f.IsMonitoring(0));
    EXPECT_EQ(page.StartStopButton()->GetLabel().utf8_string(), "停止监控");
    EXPECT_TRUE(f.TimerOf(0)->IsRunning());
    EXPECT_EQ(f.TimerOf(0)->GetInterval(), 300000);
    EXPECT_EQ(LastText(), "首页:http://saved开始自动监控\r监控关键字为:[价格] 刷新时间:05 分钟");
    f.RunBeginClick();
    EXPECT_FALSE(f.IsMonitoring(0));
    EXPECT_FALSE(f.TimerOf(0)->IsRunning());
    EXPECT_EQ(LastText(), "首页:http://saved自动监控已停止！");
}

TEST_F(MonitorTest, AddedWindowConvertsTheTimeOnStartAndOnStop) {
    WriteConfig("[1]\n[2]\nWindowName=甲\nurl=http://a\nRegx=x\n");
    TMainFrm& f = StartFrame();
    MonitorWindow* w = f.Window(1);
    w->RefreshEdit()->SetValue("0");
    Click(w->StartStopButton());
    EXPECT_FALSE(f.IsMonitoring(1));
    EXPECT_EQ(notices->shown.back().caption, "Nuvaro");  // the default error display
    EXPECT_NE(LastText().find("'0'"), std::string::npos);

    w->RefreshEdit()->SetValue(" 05");
    Click(w->StartStopButton());
    EXPECT_TRUE(f.IsMonitoring(1));
    EXPECT_EQ(f.TimerOf(1)->GetInterval(), 300000);
    EXPECT_EQ(LastText(), "甲:http://a开始自动监控\r监控关键字为:[x] 刷新时间:5 分钟");

    w->RefreshEdit()->SetValue("abc");
    Click(w->StartStopButton());  // refused: it keeps running
    EXPECT_TRUE(f.IsMonitoring(1));
    EXPECT_TRUE(f.TimerOf(1)->IsRunning());
    EXPECT_NE(LastText().find("'abc'"), std::string::npos);
}

TEST_F(MonitorTest, TicksNotifyAChangeSkipARepeatAndLogNothingFound) {
    server.SetPage("/price", Page("<b>价格128</b>"));
    TMainFrm& f = StartFrame();
    PrepareWindow(2, "价格", "/price", "价格(\\d+)", "1");
    f.Window(2)->RefreshEdit()->SetValue("1");
    Click(f.Window(2)->StartStopButton());
    ASSERT_TRUE(f.IsMonitoring(2));
    notices->shown.clear();

    Tick(2);
    server.SetPage("/price", Page("<b>价格128</b> 其它"));
    Tick(2);
    server.SetPage("/price", Page("<b>缺货</b>"));
    Tick(2);
    server.SetPage("/price", Page("<b>价格128</b>"));  // back unchanged: still a repeat
    Tick(2);
    server.SetPage("/price", Page("<b>价格99</b>"));
    Tick(2);
    EXPECT_EQ(InformLines(),
              (Lines{"[3][128]监控点信息发生变化，发出提醒[价格]", "[3][128]发现重复提醒信息，跳过[价格]",
                     "[0][]在刚才的网页刷新中没有发现要监控的变化[价格]",
                     "[3][128]发现重复提醒信息，跳过[价格]", "[3][99]监控点信息发生变化，发出提醒[价格]"}));
    EXPECT_EQ(MatchLines().front(), "=3=价格=128==价格(\\d+)");
    EXPECT_EQ(MatchLines().size(), 4u);
    EXPECT_EQ(f.Configs()[3].LastMatch, "99");
    EXPECT_TRUE(notices->shown.empty());  // ticks show nothing
    EXPECT_GE(server.RequestCount("/price"), 6u);  // every tick reloaded the page
}

TEST_F(MonitorTest, ZeroIsNothingOnTheDefaultPageAndAFindOnAddedWindows) {
    server.SetPage("/count", Page("count: 0"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/count", "\\d");
    PrepareWindow(1, "甲", "/count", "\\d");
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.RunBeginClick();
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    Tick(0);
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[0][]在刚才的网页刷新中没有发现要监控的变化[默认]",
                                    "[2][0]监控点信息发生变化，发出提醒[甲]"}));
}

TEST_F(MonitorTest, ManualTestsAlwaysNotifyAndLeaveTheMatchForTheNextTick) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.RzBitBtn3NClick(1);  // stopped windows test too
    WaitForTick(1);
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "您设定的监控条件在当前页面匹配成功,系统将依据您选择的通知方式，发出提醒消息。");
    EXPECT_EQ(notices->shown[0].seconds, 5);
    f.RzBitBtn3NClick(1);  // the same text again: notified again
    WaitForTick(1);
    EXPECT_EQ(notices->shown.size(), 2u);
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    Click(f.Window(1)->StartStopButton());  // stop and start keep the match
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[甲]",
                                    "[2][到货]监控点信息发生变化，发出提醒[甲]",
                                    "[2][到货]发现重复提醒信息，跳过[甲]",
                                    "[2][到货]发现重复提醒信息，跳过[甲]"}));

    server.SetPage("/p", Page("缺货"));
    f.RzBitBtn3NClick(1);
    WaitForTick(1);
    EXPECT_EQ(LastText(), "您设定的关键字或正则表达式在网页中中匹配不成功");
    EXPECT_EQ(InformLines().size(), 4u);  // a test that finds nothing logs nothing
    EXPECT_EQ(f.Configs()[2].LastMatch, "");
}

TEST_F(MonitorTest, DefaultPageTestTextsDiffer) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    f.RzBitBtn3Click();
    EXPECT_EQ(LastText(), "请先打开网页，然后再监控测试");
    PrepareWindow(0, "默认", "/p", "到货");
    f.RzBitBtn3Click();
    WaitForTick(0);
    EXPECT_EQ(LastText(), "您设定的监控条件在当前页面匹配成功，系统将依据您选择的通知方式，发出提醒消息.");
    server.SetPage("/p", Page("无"));
    f.RzBitBtn3Click();
    WaitForTick(0);
    EXPECT_EQ(LastText(), "您设定的关键字或正则表达式在网页中匹配不成功");
}

TEST_F(MonitorTest, DefaultPageGoesBackToItsAddressAddedWindowsStayWhereTheyAre) {
    server.SetPage("/home", Page("home"));
    server.SetPage("/away", Page("away"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/home", "home");
    PrepareWindow(1, "甲", "/home", "home");
    for (int n : {0, 1}) {
        WebBrowser* b = f.Window(n)->Browser();
        b->Navigate(server.Url("/away"));
        ASSERT_TRUE(PumpUntil([&] { return b->LocationURL() == server.Url("/away") && !b->IsLoading(); }));
    }
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.RunBeginClick();
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
    f.RunBeginClick();
    size_t before = server.RequestCount("/x");
    Tick(0);
    EXPECT_EQ(server.RequestCount("/x"), before + 1);
    EXPECT_EQ(f.DefaultPage().Browser()->LocationURL(), server.Url("/x"));
}

TEST_F(MonitorTest, DefaultPageWithAnEmptyBoxTellsAndStillReadsTheDocument) {
    server.SetPage("/x", Page("still here"));
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "默认", "/x", "here");
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.RunBeginClick();
    f.DefaultPage().UrlEdit()->SetValue("");
    Tick(0);
    EXPECT_EQ(LastText(), "网址为空或系统繁忙");
    EXPECT_EQ(InformLines(), Lines{"[0][here]监控点信息发生变化，发出提醒[默认]"});
}

TEST_F(MonitorTest, ErrorsEndTheTickInTheErrorBoxAndTheTimerGoesOn) {
    server.SetPage("/p", Page("+86 (元"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "+86");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    Tick(1);
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].caption, "错误");
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Error);
    EXPECT_NE(notices->shown[0].text.find("quantifier"), std::string::npos) << notices->shown[0].text;
    EXPECT_TRUE(f.IsMonitoring(1));
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));

    // A page that cannot be loaded is an error too, not a "nothing found".
    f.Configs()[2].Regx = "x";
    auto closing = std::make_unique<LocalHttpServer>();
    closing->SetPage("/gone", Page("soon gone"));
    std::string gone = closing->Url("/gone");
    WebBrowser* b = f.Window(1)->Browser();
    b->Navigate(gone);
    ASSERT_TRUE(PumpUntil([&] { return b->LocationURL() == gone && !b->IsLoading(); }));
    closing.reset();  // the port is closed now
    Tick(1);
    EXPECT_NE(LastText().find("网页加载失败："), std::string::npos) << LastText();
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));
}

// Short waits for the tests of slow and unresponsive pages; the program's own are restored.
class ShortWaits {
public:
    ShortWaits(std::chrono::milliseconds load, std::chrono::milliseconds read) {
        PageRefresh::SetLoadTimeout(load);
        PageRefresh::SetReadTimeout(read);
    }
    ~ShortWaits() {
        PageRefresh::SetLoadTimeout(std::chrono::seconds(30));
        PageRefresh::SetReadTimeout(std::chrono::seconds(30));
    }
};

TEST_F(MonitorTest, APageThatDoesNotFinishLoadingIsReadAsItStandsAfterTheTimeOut) {
    ShortWaits waits(std::chrono::milliseconds(1500), std::chrono::seconds(30));
    auto reply = std::make_shared<Gate>();  // outlives the test: the server may still wait on it
    auto hold = std::make_shared<std::atomic<bool>>(false);
    server.Get("/p", [reply, hold](const httplib::Request&, httplib::Response& res) {
        if (*hold) reply->Wait();
        res.set_content(Page("到货"), "text/html; charset=utf-8");
    });
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    *hold = true;
    Tick(1);  // the reload hangs: the tick ends with the document the browser still shows
    reply->Open();
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[甲]",
                                    "[2][到货]发现重复提醒信息，跳过[甲]"}));
}

TEST_F(MonitorTest, APageThatNeverAnswersTheReadEndsTheTickInTheErrorBox) {
    ShortWaits waits(std::chrono::milliseconds(500), std::chrono::milliseconds(1500));
    // Once loaded, the page's script never stops.
    server.SetPage("/busy", Page("到货<script>addEventListener('load', function() {"
                                 " setTimeout(function() { for (;;) {} }, 300); });</script>"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/busy", "到货");
    Pump(500);
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    Tick(1);
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].caption, "错误");
    EXPECT_EQ(notices->shown[0].text, "读取网页内容超时：网页没有响应（可能有脚本一直在运行）");
    EXPECT_FALSE(f.TickInProgress(1));
    EXPECT_TRUE(f.IsMonitoring(1));
}

TEST_F(MonitorTest, UnopenedWindowsAskForTheirPageAndLogNothing) {
    WriteConfig("[1]\n[2]\nWindowName=甲\nRegx=x\nRefreshTime=1\n");
    TMainFrm& f = StartFrame();
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    EXPECT_EQ(LastText(), "请先打开网页N，然后再监控测试");
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));
}

TEST_F(MonitorTest, ATickDuringATickOfTheSameWindowIsSkipped) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    size_t before = server.RequestCount("/p");
    f.TimerOf(1)->Notify();
    f.TimerOf(1)->Notify();  // nested: skipped
    WaitForTick(1);
    EXPECT_EQ(server.RequestCount("/p"), before + 1);
    EXPECT_EQ(InformLines().size(), 1u);
}

// A box shown by a tick keeps the loop running; the window's timer fires again inside it.
TEST_F(MonitorTest, ATickFiredWhileItsOwnBoxIsOpenIsSkipped) {
    server.SetPage("/p", Page("到货"));
    WriteConfig("[1]\nRegx=x\nRefreshTime=1\n[2]\nWindowName=甲\nRegx=x\nRefreshTime=1\n");
    TMainFrm& f = StartFrame();
    // The default page shows a page while its address box is empty.
    f.DefaultPage().Browser()->Navigate(server.Url("/p"));
    ASSERT_TRUE(PumpUntil([&] { return !f.DefaultPage().Browser()->LocationURL().empty(); }));
    f.DefaultPage().RefreshEdit()->SetValue("1");
    f.RunBeginClick();
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    int nested = 0;
    notices->onBox = [&] {
        if (nested++ < 3) {
            f.TimerOf(1)->Notify();
            f.TimerOf(0)->Notify();
        }
    };
    Tick(1);
    Tick(0);
    notices->onBox = nullptr;
    std::vector<std::string> texts = notices->Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "请先打开网页N，然后再监控测试"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "网址为空或系统繁忙"), 1);
}

TEST_F(MonitorTest, AWindowClosedMidTickEndsItsTickQuietly) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    f.TimerOf(1)->Notify();
    f.PageControl()->SetSelection(1);
    f.C1Click();
    f.TimerOf(1)->Notify();  // the timer of a closed window does nothing
    Pump(2500);
    EXPECT_FALSE(dir.Exists("Log/informlog.txt"));
    EXPECT_TRUE(notices->shown.size() <= 1u);  // at most the start message
}

}  // namespace
}  // namespace nuvaro::testing
