// The browser keeps what pages allow to be kept: a reload revalidates pictures and scripts
// instead of downloading them again, and the page document itself is always fetched anew.
// Real WebKit, pages on 127.0.0.1.
#include <httplib.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <atomic>
#include <filesystem>

#include "app/monitor_window.h"
#include "harness/monitor_fixture.h"

namespace nuvaro::testing {
namespace {

using Lines = std::vector<std::string>;

// A 1 x 1 GIF.
const std::string kPicture(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04"
    "\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
    "D\x01\x00;",
    43);

class CacheTest : public MonitorTest {
  protected:
    // Serves `path` with a long max-age and an ETag, answering a revalidation with 304; counts
    // the full downloads.
    void ServeKeepable(const std::string& path, std::string body, const std::string& type,
                       std::shared_ptr<std::atomic<int>> full) {
        server.Get(path, [body, type, full](const httplib::Request& req, httplib::Response& res) {
            res.set_header("Cache-Control", "max-age=3600");
            res.set_header("ETag", "\"v1\"");
            if (req.get_header_value("If-None-Match") == "\"v1\"") {
                res.status = 304;
                return;
            }
            ++*full;
            res.set_content(body, type.c_str());
        });
    }
    void Monitor(int n) {
        frame->Window(n)->RefreshEdit()->SetValue("60");
        Click(frame->Window(n)->StartStopButton());
        ASSERT_TRUE(frame->IsMonitoring(n));
    }
};

TEST_F(CacheTest, APictureAndAScriptThatMayBeKeptAreNotDownloadedAgainAtEveryTick) {
    auto picture = std::make_shared<std::atomic<int>>(0);
    auto script = std::make_shared<std::atomic<int>>(0);
    server.SetPage("/shop",
                   "<html><body><img src=\"/pic.gif\"><span id=p></span>"
                   "<script src=\"/app.js\"></script></body></html>");
    ServeKeepable("/pic.gif", kPicture, "image/gif", picture);
    ServeKeepable("/app.js", "p.textContent = '售价' + 4999 + '元';", "application/javascript",
                  script);
    StartFrame();
    PrepareWindow(1, "店", "/shop", "售价(\\d+)元", "1");
    Monitor(1);
    for (int i = 0; i < 3; ++i) Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][4999]监控点信息发生变化，发出提醒[店]",
                                    "[2][4999]发现重复提醒信息，跳过[店]",
                                    "[2][4999]发现重复提醒信息，跳过[店]"}));
    EXPECT_EQ(server.RequestCount("/shop"), 4u);  // the page itself at every load
    EXPECT_EQ(*picture, 1);
    EXPECT_EQ(*script, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Browser/cache/WebKitCache")));
}

// A page that says it may be kept for an hour still shows its new price at the next tick.
TEST_F(CacheTest, APageDocumentIsFetchedAnewAtEveryTickWhateverItsHeadersSay) {
    auto price = std::make_shared<std::atomic<int>>(100);
    server.Get("/item", [price](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "max-age=3600");
        res.set_header("ETag", "\"" + std::to_string(price->load()) + "\"");
        res.set_content("<html><body>售价" + std::to_string(price->load()) + "元</body></html>",
                        "text/html; charset=utf-8");
    });
    StartFrame();
    PrepareWindow(1, "品", "/item", "售价(\\d+)元", "1");
    Monitor(1);
    Tick(1);
    *price = 90;
    Tick(1);
    *price = 80;
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][100]监控点信息发生变化，发出提醒[品]",
                                    "[2][90]监控点信息发生变化，发出提醒[品]",
                                    "[2][80]监控点信息发生变化，发出提醒[品]"}));
}

}  // namespace
}  // namespace nuvaro::testing
