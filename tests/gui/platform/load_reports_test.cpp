// Every load of a browser view ends exactly once, reported, whatever happens around it: thousands
// of loads across thirty views, in tabs out of sight, with the window hidden, reloads over loads
// under way, failed loads. Real WebKit, pages on 127.0.0.1.
#include <gtest/gtest.h>
#include <httplib.h>
#include <wx/frame.h>
#include <wx/notebook.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "harness/gui_pump.h"
#include "platform/gtk/web_browser.h"
#include "support/http_server.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
constexpr int kViews = 30;

struct ViewLoads {
    WebBrowser* browser = nullptr;
    std::map<uint64_t, int> ends;  // load number -> times reported ended
    uint64_t lastAskedAfter = 0;   // loads started before the last load asked for
    bool lastAskGood = true;       // ... which goes to a page that loads
};

class LoadReportsTest : public ::testing::Test {
  public:
    void SetUp() override {
        server.SetPage("/ok", "<html><body>页面<img src=/pic.png></body></html>");
        server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(300ms);
            res.set_content("<html><body>慢</body></html>", "text/html; charset=utf-8");
        });
        server.Get("/pic.png", [](const httplib::Request&, httplib::Response& res) {
            std::this_thread::sleep_for(50ms);
            res.set_content(std::string(2000, 'x'), "image/png");
        });
        server.Get("/fail", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("<html><body>坏</body></html>", "text/html; charset=utf-8");
        });
        frame = new wxFrame(nullptr, wxID_ANY, "loads", wxDefaultPosition, wxSize(800, 600));
        book = new wxNotebook(frame, wxID_ANY);
        for (int i = 0; i < kViews; ++i) {
            auto* browser = new WebBrowser(book, i);
            book->AddPage(browser, std::to_string(i));
            views[i].browser = browser;
            browser->SetLoadEndedHandler([this, i](uint64_t load) { ++views[i].ends[load]; });
        }
        frame->Show();
    }
    void TearDown() override {
        frame->Destroy();
        Pump(100);
    }

    void Open(int i, const std::string& path) {
        Open(i, server.Url(path), path == "/ok" || path == "/slow");
    }
    void Open(int i, const std::string& url, bool good) {
        views[i].lastAskedAfter = views[i].browser->LoadsStarted();
        views[i].lastAskGood = good;
        views[i].browser->Navigate(url);
    }
    void Reload(int i) {
        views[i].lastAskedAfter = views[i].browser->LoadsStarted();
        views[i].browser->Refresh();
    }
    bool AllEnded() const {
        for (const auto& [i, v] : views) {
            if (v.browser->IsLoading() || v.ends.size() < v.browser->LoadsStarted()) return false;
        }
        return true;
    }

    TempExeDir dir;
    LocalHttpServer server;
    wxFrame* frame = nullptr;
    wxNotebook* book = nullptr;
    std::map<int, ViewLoads> views;
};

TEST_F(LoadReportsTest, ThousandsOfLoadsAcrossThirtyViewsEachEndExactlyOnce) {
    std::mt19937 random(20261209);
    const std::string paths[] = {"/ok", "/slow", "/fail", "/missing"};
    for (int i = 0; i < kViews; ++i) Open(i, "/ok");
    for (int op = 0; op < 3000; ++op) {
        int i = static_cast<int>(random() % kViews);
        switch (random() % 10) {
            case 0:
            case 1:
            case 2:
                Reload(i);
                break;
            case 3:
            case 4:
                Open(i, paths[random() % 4]);
                break;
            case 5:
                Reload(i), Reload(i);
                break;  // a reload over a reload under way
            case 6:
                Open(i, "/slow"), Reload(i);
                break;
            case 7:
                book->SetSelection(random() % kViews);
                break;
            case 8:
                frame->Show(!frame->IsShown());
                break;  // into the tray and back
            case 9:
                Open(i, "http://127.0.0.1:9/", false);
                break;
        }
        Pump(static_cast<int>(random() % 20));
    }
    frame->Show();
    ASSERT_TRUE(PumpUntil([&] { return AllEnded(); }, 120000));
    uint64_t loads = 0;
    for (const auto& [i, v] : views) {
        const uint64_t started = v.browser->LoadsStarted();
        loads += started;
        // The last load asked for came, and a good page ends loaded.
        EXPECT_GT(started, v.lastAskedAfter) << "view " << i;
        EXPECT_FALSE(v.lastAskGood && v.browser->Outcome(started).failed)
            << "view " << i << ": " << v.browser->Outcome(started).error;
        for (uint64_t k = 1; k <= started; ++k) {
            auto it = v.ends.find(k);
            EXPECT_TRUE(it != v.ends.end() && it->second == 1)
                << "view " << i << " load " << k << " ended "
                << (it == v.ends.end() ? 0 : it->second) << " times";
        }
    }
    RecordProperty("loads", static_cast<int>(loads));
    std::printf("%llu loads\n", static_cast<unsigned long long>(loads));
}

// A reload asked while a load is under way gets a load of its own that ends well: the engine
// drops a reload asked before the document came, and cuts a load short for a newer one.
struct ReloadCase {
    const char* name;
    std::function<void(LoadReportsTest&, WebBrowser&)> before;  // a load under way, or not
};

class ReloadOverLoad : public LoadReportsTest, public ::testing::WithParamInterface<ReloadCase> {};

TEST_P(ReloadOverLoad, EndsInALoadOfItsOwnThatDoesNotFail) {
    WebBrowser& b = *views[0].browser;
    GetParam().before(*this, b);
    const uint64_t before = b.LoadsStarted();
    b.Refresh();
    ASSERT_TRUE(PumpUntil(
        [&] {
            return b.LoadsStarted() > before && b.Outcome(b.LoadsStarted()).finished &&
                   !b.IsLoading();
        },
        20000))
        << "loads started: " << b.LoadsStarted() << " of " << before;
    for (uint64_t k = before + 1; k <= b.LoadsStarted(); ++k) {
        EXPECT_FALSE(b.Outcome(k).failed) << b.Outcome(k).error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReloadOverLoad,
    ::testing::Values(ReloadCase{"FirstLoadWithoutItsDocumentYet",
                                 [](LoadReportsTest& t, WebBrowser& b) {
                                     b.Navigate(t.server.Url("/slow"));
                                     ASSERT_TRUE(PumpUntil([&] { return b.LoadsStarted() == 1; }));
                                 }},
                      ReloadCase{"LaterLoadWithoutItsDocumentYet",
                                 [](LoadReportsTest& t, WebBrowser& b) {
                                     b.Navigate(t.server.Url("/ok"));
                                     ASSERT_TRUE(PumpUntil(
                                         [&] { return b.LoadsStarted() == 1 && !b.IsLoading(); }));
                                     b.Navigate(t.server.Url("/slow"));
                                     ASSERT_TRUE(PumpUntil([&] { return b.LoadsStarted() == 2; }));
                                 }},
                      ReloadCase{"ReloadAskedJustBefore",
                                 [](LoadReportsTest& t, WebBrowser& b) {
                                     b.Navigate(t.server.Url("/ok"));
                                     ASSERT_TRUE(PumpUntil(
                                         [&] { return b.LoadsStarted() == 1 && !b.IsLoading(); }));
                                     b.Refresh();
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvaro::testing
