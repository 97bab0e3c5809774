// A site that answers 429 or 503 holds its windows for the time it asks: real WebKit, a real
// server on 127.0.0.1.
#include <httplib.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <memory>

#include "app/monitor_window.h"
#include "core/gbk.h"
#include "harness/monitor_fixture.h"
#include "monitor/window_status_text.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

// "Sun, 06 Nov 1994 08:49:37 GMT" for `from` now on.
std::string HttpDate(std::chrono::seconds from) {
    std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() + from);
    std::tm gmt{};
    gmtime_r(&t, &gmt);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &gmt);
    return text;
}

// The page answers normally until `busy`, then with `status` and `retryAfter` (none when
// empty) once, then normally again.
struct BusySite {
    std::atomic<bool> busy{false};
    int status = 429;
    std::string retryAfter;
};

class SiteWaitTest : public MonitorTest {
  protected:
    void Serve(const std::string& path, std::shared_ptr<BusySite> site) {
        server.Get(path, [site](const httplib::Request&, httplib::Response& res) {
            if (site->busy.exchange(false)) {
                res.status = site->status;
                if (!site->retryAfter.empty()) res.set_header("Retry-After", site->retryAfter);
                res.set_content("<html><body>请稍后再试</body></html>", "text/html; charset=utf-8");
                return;
            }
            res.set_content("<html><body>到货</body></html>", "text/html; charset=utf-8");
        });
    }
    // Window n monitors every minute (its first beat comes long after the test).
    void Monitor(int n) {
        frame->Window(n)->RefreshEdit()->SetValue("1");
        Click(frame->Window(n)->StartStopButton());
        ASSERT_TRUE(frame->Engine().IsMonitoring(n));
    }
    std::string ErrorLog() const {
        return dir.Exists("Log/errorlog.txt") ? dir.Read("Log/errorlog.txt") : "";
    }
};

TEST_F(SiteWaitTest, RetryAfterSecondsHoldsEveryWindowOfTheSiteAndIsLoggedNotCountedAsAFailure) {
    auto site = std::make_shared<BusySite>();
    site->retryAfter = "3600";
    Serve("/a", site);
    Serve("/b", std::make_shared<BusySite>());
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/a", "到货");
    PrepareWindow(2, "乙", "/b", "到货");
    Monitor(1);
    Monitor(2);
    site->busy = true;
    Tick(1);
    const WindowStatus first = f.Engine().Status(1);
    EXPECT_EQ(first.last, WindowStatus::Last::Waiting);
    EXPECT_EQ(first.failuresInRow, 0);
    ASSERT_TRUE(first.waitUntil);
    EXPECT_GT(*first.waitUntil - std::chrono::system_clock::now(), 3500s);
    EXPECT_LE(*first.waitUntil - std::chrono::system_clock::now(), 3600s);
    EXPECT_NE(StatusTip(first).find("网站要求等待，至 " + WallTimeText(*first.waitUntil)),
              std::string::npos);
    ASSERT_EQ(InformLines().size(), 1u);
    EXPECT_EQ(InformLines()[0], "[2][127.0.0.1:" + std::to_string(server.Port()) +
                                    "]网站要求等待，至 " + WallTimeText(*first.waitUntil) + "[甲]");
    EXPECT_EQ(ErrorLog(), "");

    // The other window of the site waits: nothing reaches the server.
    const size_t asked = server.RequestCount("/b");
    f.TickWindow(2, TickKind::Timer);
    Pump(3000);
    EXPECT_TRUE(f.TickInProgress(2));
    EXPECT_EQ(server.RequestCount("/b"), asked);
    EXPECT_TRUE(f.Engine().Status(2).waitUntil);
    EXPECT_EQ(InformLines().size(), 2u);
    Click(f.Window(2)->StartStopButton());  // stopped: its tick ends quietly
    EXPECT_FALSE(f.TickInProgress(2));
}

TEST_F(SiteWaitTest, A503WithAnHttpDateHoldsTheSiteUntilThenAndTheNextTickGoesOn) {
    auto site = std::make_shared<BusySite>();
    site->status = 503;
    Serve("/a", site);
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/a", "到货");
    Monitor(1);
    site->retryAfter = HttpDate(4s);
    site->busy = true;
    Tick(1);
    ASSERT_EQ(f.Engine().Status(1).last, WindowStatus::Last::Waiting);
    const size_t asked = server.RequestCount("/a");
    f.TickWindow(1, TickKind::Timer);
    EXPECT_TRUE(f.TickInProgress(1));
    EXPECT_EQ(server.RequestCount("/a"), asked);
    WaitForTick(1);  // once the date has passed
    EXPECT_EQ(server.RequestCount("/a"), asked + 1);
    EXPECT_EQ(f.Engine().Status(1).last, WindowStatus::Last::Change);
    EXPECT_EQ(InformLines().back(), "[2][到货]监控点信息发生变化，发出提醒[甲]");
}

}  // namespace
}  // namespace nuvaro::testing
