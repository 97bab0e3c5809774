// Thirty windows cost little: pages out of sight stay quiet yet are read as before, and windows
// of one site that tick together take turns to reload. Real WebKit, pages on 127.0.0.1.
#include <httplib.h>
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/monitor_window.h"
#include "harness/monitor_fixture.h"
#include "platform/gtk/web_browser.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

TEST_F(MonitorTest, AHiddenTabsPageIsReadAtItsTickAndShowsLiveWhenSelected) {
    server.SetPage("/p",
                   "<html><body><p id=s></p><p id=v></p><script>"
                   "setTimeout(() => s.textContent = '脚本' + '写的价格42', 500);"
                   "document.addEventListener('visibilitychange',"
                   " () => v.textContent = document.visibilityState);"
                   "</script></body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "脚本写的价格(\\d+)", "1");
    f.Window(1)->RefreshEdit()->SetValue("1");
    Click(f.Window(1)->StartStopButton());
    f.PageControl()->SetSelection(0);  // window 1 is out of sight
    Tick(1);
    EXPECT_EQ(InformLines(), std::vector<std::string>{"[2][42]监控点信息发生变化，发出提醒[甲]"});

    f.PageControl()->SetSelection(1);
    struct Probe {
        bool visible = false, asked = false;
    };
    auto probe = std::make_shared<Probe>();  // a read may answer after the test
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!probe->asked) {
                probe->asked = true;
                f.Window(1)->Browser()->ReadPage([probe](const PageContent& page) {
                    probe->visible =
                        page.body.bytes().find("<p id=\"v\">visible</p>") != std::string::npos;
                    probe->asked = false;
                });
            }
            return probe->visible;
        },
        5000));
}

// Ten windows of one site: at most two of its loads at once, started two seconds apart.
TEST_F(MonitorTest, TenWindowsOfOneSiteTickingTogetherTakeTurnsAndAllReachTheirVerdict) {
    auto inFlight = std::make_shared<std::atomic<int>>(0);
    auto most = std::make_shared<std::atomic<int>>(0);
    server.Get("/p", [inFlight, most](const httplib::Request&, httplib::Response& res) {
        int now = ++*inFlight;
        for (int seen = *most; now > seen && !most->compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(300ms);
        --*inFlight;
        res.set_content("<html><body>到货</body></html>", "text/html; charset=utf-8");
    });
    TMainFrm& f = StartFrame();
    for (int n = 1; n <= 10; ++n) {
        PrepareWindow(n, "窗" + std::to_string(n), "/p", "到货");
        f.Window(n)->RefreshEdit()->SetValue("1");
        Click(f.Window(n)->StartStopButton());
    }
    *most = 0;
    int reloadsAtOnce = 0;
    for (int n = 1; n <= 10; ++n) f.WindowTimer(n);
    ASSERT_TRUE(PumpUntil(
        [&] {
            reloadsAtOnce = std::max(reloadsAtOnce, f.Engine().ReloadsUnderWay());
            for (int n = 1; n <= 10; ++n) {
                if (f.TickInProgress(n)) return false;
            }
            return true;
        },
        60000));
    EXPECT_EQ(InformLines().size(), 10u);
    EXPECT_GE(reloadsAtOnce, 1);
    EXPECT_LE(reloadsAtOnce, 2);
    EXPECT_LE(*most, 2);  // the server never saw more than two of them at once
}

}  // namespace
}  // namespace nuvaro::testing
