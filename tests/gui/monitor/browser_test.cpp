// The browser reads pages as the user sees them, over the real WebKit engine and pages on
// 127.0.0.1.
#include <httplib.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/monitor_window.h"
#include "core/gbk.h"
#include "harness/monitor_fixture.h"
#include "monitor/page_reader.h"
#include "platform/gtk/web_browser.h"
#include "support/notify_helpers.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class BrowserTest : public MonitorTest {
  protected:
    void Monitor(int n) {
        frame->Window(n)->RefreshEdit()->SetValue("1");
        Click(frame->Window(n)->StartStopButton());
        ASSERT_TRUE(frame->IsMonitoring(n));
    }
};

// A shop page that asks its server for the price once loaded; the answer takes three seconds.
TEST_F(BrowserTest, APriceFetchedAfterTheLoadIsFoundByTheTestAndByATick) {
    server.SetPage("/shop",
                   "<html><body><span id=p>价格加载中</span><script>"
                   "fetch('/price').then(r => r.text()).then(t => p.textContent = t);"
                   "</script></body></html>");
    server.Get("/price", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(3s);
        res.set_content("售价：4999元", "text/plain; charset=utf-8");
    });
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "显卡", "/shop", "售价：(\\d+)", "1");
    f.RefreshPageNClick(1);
    WaitForTick(1);
    Monitor(1);
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][4999]监控点信息发生变化，发出提醒[显卡]",
                                    "[2][4999]发现重复提醒信息，跳过[显卡]"}));
}

TEST_F(BrowserTest, APageThatNeverStopsChangingIsReadAtTheBound) {
    server.SetPage("/ticker",
                   "<html><body>到货<span id=t></span><script>"
                   "setInterval(() => t.textContent = Date.now(), 100);"
                   "</script></body></html>");
    TMainFrm& f = StartFrame();
    PageReader::Timeouts timeouts;
    timeouts.settle = 3s;
    f.Engine().SetTimeouts(timeouts);
    PrepareWindow(1, "行情", "/ticker", "到货");
    Monitor(1);
    auto started = std::chrono::steady_clock::now();
    Tick(1);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 3s);  // it waited for quiet in vain
    EXPECT_EQ(InformLines(), Lines{"[2][到货]监控点信息发生变化，发出提醒[行情]"});
}

// A page that cannot be loaded shows a small Chinese page in the pane (why, where, when), not
// the engine's English one; the tick still fails and is logged as before, whatever that page
// says.
TEST_F(BrowserTest, APageThatCannotBeLoadedShowsAChinesePageAndTheTickStillFails) {
    const std::string url = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/shop";
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "显卡", "/shop", "网址|原因|Could");
    f.Window(1)->UrlEdit()->SetValue(url);
    f.OpenPageNClick(1);
    BrowserPanel* browser = f.Window(1)->Browser();
    ASSERT_TRUE(PumpUntil([&] { return !browser->IsLoading(); }));
    Monitor(1);
    Tick(1);
    EXPECT_TRUE(InformLines().empty());  // the failure page is no page of the site
    const std::string errors = ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")));
    EXPECT_NE(errors.find("[2][显卡]"), std::string::npos) << errors;

    std::optional<PageContent> page;
    browser->ReadPage([&](const PageContent& p) { page = p; });
    ASSERT_TRUE(PumpUntil([&] { return page.has_value(); }));
    const std::string body = ToUtf8(page->body);
    EXPECT_EQ(ToUtf8(page->title), "无法打开网页");
    EXPECT_NE(body.find("原因："), std::string::npos) << body;
    EXPECT_NE(body.find("服务器拒绝了连接请求"), std::string::npos) << body;  // in Chinese
    EXPECT_NE(body.find(url), std::string::npos) << body;
    EXPECT_NE(body.find("时间："), std::string::npos) << body;
    EXPECT_EQ(browser->LocationURL(), url);  // the window still stands for the page asked for
}

// The profile lies beside the executable, nothing of it in the home folder.
TEST_F(BrowserTest, CookiesAndCacheLieBesideTheExecutable) {
    server.Get("/login", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "session=zhangsan; Max-Age=2592000; Path=/");
        res.set_content("<html><body>已登录</body></html>", "text/html; charset=utf-8");
    });
    StartFrame();
    PrepareWindow(1, "会员", "/login", "");
    ASSERT_TRUE(PumpUntil([&] { return dir.Exists("Browser/cookies.sqlite"); }, 10000));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Browser/cache")));
}

}  // namespace
}  // namespace nuvaro::testing
