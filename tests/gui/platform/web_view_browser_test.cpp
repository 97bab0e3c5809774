// The toolkit web-view browser (the page engine of the Windows build) over this desktop's WebKit
// backend, with real pages on 127.0.0.1; and the browser of a desktop without a page engine.
#include "platform/wx/web_view_browser.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <wx/frame.h>

#include <memory>
#include <vector>

#include "core/gbk.h"
#include "core/texts.h"
#include "harness/gui_pump.h"
#include "platform/page_engine.h"
#include "platform/wx/no_engine_browser.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"

namespace nuvaro::testing {
namespace {

class WebViewBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(ThePageEngine().backend.empty()) << "no web view backend";
        m_frame = new wxFrame(nullptr, wxID_ANY, "web view", wxDefaultPosition, wxSize(800, 600));
        m_browser = new WebViewBrowser(m_frame, ThePageEngine());
        m_frame->Show();
    }
    void TearDown() override {
        if (m_frame) m_frame->Destroy();
        Pump(50);
    }

    bool LoadFinished(uint64_t load) {
        return PumpUntil([&] { return m_browser->Outcome(load).finished; });
    }
    PageContent Read() {
        std::optional<PageContent> page;
        m_browser->ReadPage([&](const PageContent& p) { page = p; });
        EXPECT_FALSE(page) << "answered from inside the call";
        EXPECT_TRUE(PumpUntil([&] { return page.has_value(); }));
        return page.value_or(PageContent{});
    }

    LocalHttpServer m_server;
    wxFrame* m_frame = nullptr;
    WebViewBrowser* m_browser = nullptr;
};

TEST_F(WebViewBrowserTest, LoadsAreCountedAndReadsGiveTheLiveBodyAndTitleInGbk) {
    m_server.SetPage("/p",
                     "<html><head><title>价格页</title></head><body><b>售价：12元</b>"
                     "<script>document.body.insertAdjacentHTML('beforeend','<i>动态</i>')"
                     "</script></body></html>");
    // Without a scheme, http is meant.
    std::string address = m_server.Url("/p").substr(std::string("http://").size());
    m_browser->Navigate(address);
    EXPECT_EQ(m_browser->LoadsStarted(), 1u);
    ASSERT_TRUE(LoadFinished(1));
    EXPECT_FALSE(m_browser->Outcome(1).failed);
    EXPECT_EQ(m_browser->LocationURL(), m_server.Url("/p"));
    PageContent page = Read();
    ASSERT_TRUE(page.ok) << page.error;
    EXPECT_TRUE(page.hasBody);
    EXPECT_EQ(page.title, GT("价格页"));
    EXPECT_NE(page.body.bytes().find(G("<b>售价：12元</b>")), std::string::npos)
        << ToUtf8(page.body);
    EXPECT_NE(page.body.bytes().find(G("<i>动态</i>")),
              std::string::npos);  // what scripts made of it
}

TEST_F(WebViewBrowserTest, ARefreshIsALoadOfItsOwnAndReadsTheNewDocument) {
    m_server.SetPage("/p", "<html><body>one</body></html>");
    m_browser->Navigate(m_server.Url("/p"));
    ASSERT_TRUE(LoadFinished(1));
    m_server.SetPage("/p", "<html><body>two</body></html>");
    m_browser->Refresh();
    EXPECT_EQ(m_browser->LoadsStarted(), 2u);
    ASSERT_TRUE(LoadFinished(2));
    EXPECT_EQ(Read().body.bytes(), "two");
}

TEST_F(WebViewBrowserTest, ReadsQueuedTogetherAreAnsweredEachInTurn) {
    m_server.SetPage("/p", "<html><body>x</body></html>");
    m_browser->Navigate(m_server.Url("/p"));
    ASSERT_TRUE(LoadFinished(1));
    std::vector<std::string> answers;
    for (int i = 0; i < 3; ++i) {
        m_browser->ReadPage([&answers, i](const PageContent& p) {
            answers.push_back(std::to_string(i) + p.body.bytes());
        });
    }
    std::optional<std::chrono::milliseconds> quiet;
    m_browser->AskQuiet([&](std::chrono::milliseconds ms) { quiet = ms; });
    ASSERT_TRUE(PumpUntil([&] { return answers.size() == 3 && quiet; }));
    EXPECT_EQ(answers, (std::vector<std::string>{"0x", "1x", "2x"}));
    Pump(700);
    quiet.reset();
    m_browser->AskQuiet([&](std::chrono::milliseconds ms) { quiet = ms; });
    ASSERT_TRUE(PumpUntil([&] { return quiet.has_value(); }));
    EXPECT_GE(quiet->count(), 500);  // a page that stopped changing is quiet
}

TEST_F(WebViewBrowserTest, AServerThatIsGoneIsAFailedLoad) {
    m_browser->Navigate("http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/gone");
    ASSERT_TRUE(LoadFinished(1));
    EXPECT_TRUE(m_browser->Outcome(1).failed);
    EXPECT_FALSE(m_browser->Outcome(1).error.empty());
}

TEST_F(WebViewBrowserTest, ABrowserThatOpenedNothingReadsAnEmptyDocument) {
    EXPECT_EQ(m_browser->LocationURL(), "");
    PageContent page = Read();
    EXPECT_TRUE(page.ok);
    EXPECT_TRUE(page.body.empty());
}

TEST(NoEngineBrowserTest, EveryLoadFailsWithTheReasonAndReadsFindNoDocument) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "none");
    auto* browser = new NoEngineBrowser(frame);
    browser->Refresh();  // nothing opened, nothing reloaded
    EXPECT_EQ(browser->LoadsStarted(), 0u);
    EXPECT_EQ(browser->LocationURL(), "");
    browser->Navigate("http://127.0.0.1/x");
    browser->Navigate("http://127.0.0.1/y");
    // The page asked for stays the window's, so its ticks fail with the reason.
    EXPECT_EQ(browser->LocationURL(), "http://127.0.0.1/y");
    browser->Refresh();
    EXPECT_EQ(browser->LoadsStarted(), 3u);
    LoadOutcome outcome = browser->Outcome(3);
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.error, text::kNoPageEngineReason);
    EXPECT_FALSE(browser->Outcome(4).finished);
    std::optional<PageContent> page;
    browser->ReadPage([&](const PageContent& p) { page = p; });
    ASSERT_TRUE(PumpUntil([&] { return page.has_value(); }));
    EXPECT_FALSE(page->ok);
    EXPECT_EQ(page->error, text::kNoPageEngineReason);
    frame->Destroy();
}

}  // namespace
}  // namespace nuvaro::testing
