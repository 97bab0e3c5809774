// The page source viewer: the live body markup of a window's real WebKit browser, pages served
// on 127.0.0.1.
#include <httplib.h>
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/stc/stc.h>
#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "banners/test_endpoints.h"
#include "conditions/web_source_frm.h"
#include "harness/modal_driver.h"
#include "harness/monitor_fixture.h"
#include "platform/gtk/web_browser.h"
#include "ui/design.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

class SourceViewerTest : public MonitorTest {
  protected:
    // Presses window n's source button; runs `look` on the viewer and closes it.
    void WithViewer(int n, const std::function<void(TWebSourceFrm&)>& look) {
        ModalDriver driver([&](wxDialog& d) {
            look(dynamic_cast<TWebSourceFrm&>(d));
            d.Close();
        });
        Click(frame->Window(n)->SourceButton());
        ASSERT_TRUE(PumpUntil([&] { return driver.Ran() && !ModalDriver::ModalOpen(); }));
    }
    static std::string Text(TWebSourceFrm& d) { return d.Editor()->GetText().utf8_string(); }
};

TEST_F(SourceViewerTest, ShowsTheLiveBodyOfTheTopDocumentInTheStyledEditor) {
    server.SetPage("/shop",
                   "<html><head><title>商品页</title></head><body><p id=\"p\">有货</p>"
                   "<iframe src=\"/inner\"></iframe>"
                   "<script>document.getElementById('p').textContent='已售完';</script>"
                   "</body></html>");
    server.SetPage("/inner", "<html><body>框内文字</body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "首页", "/shop", "");
    WithViewer(0, [&](TWebSourceFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "商品页 - 源代码");
        EXPECT_EQ(d.GetSize(), wxSize(714, 602));
        const std::string text = Text(d);
        EXPECT_EQ(text.rfind("<p id=\"p\">已售完</p><iframe src=\"/inner\"></iframe>", 0), 0u)
            << text;
        EXPECT_EQ(text.find("框内文字"), std::string::npos);
        EXPECT_EQ(text.find("<head"), std::string::npos);
        wxStyledTextCtrl* e = d.Editor();
        EXPECT_EQ(e->GetLexer(), wxSTC_LEX_HTML);
        EXPECT_EQ(e->GetWrapMode(), wxSTC_WRAP_NONE);
        EXPECT_EQ(e->GetEdgeMode(), wxSTC_EDGE_LINE);
        EXPECT_EQ(e->GetEdgeColumn(), 80);
        EXPECT_EQ(e->GetEdgeColour(), wxColour(192, 192, 192));
        EXPECT_TRUE(e->GetCaretLineVisible());
        EXPECT_EQ(e->GetCaretLineBackground(), *wxYELLOW);
        const wxString face = e->StyleGetFont(wxSTC_STYLE_DEFAULT).GetFaceName();
        EXPECT_TRUE(face == "Courier New" || face == "Liberation Mono") << face;
        // Character heights as a Windows font names them: 13 px text, 11 px gutter.
        EXPECT_EQ(design::FontPixelHeight(e->StyleGetFont(wxSTC_STYLE_DEFAULT)), 13);
        EXPECT_EQ(design::FontPixelHeight(e->StyleGetFont(wxSTC_STYLE_LINENUMBER)), 11);
        EXPECT_FALSE(e->GetReadOnly());
    });
    EXPECT_EQ(f.PageTitle, GT("商品页"));
    EXPECT_EQ(f.PageSource.bytes().rfind(G("<p id=\"p\">已售完</p>"), 0), 0u);
}

TEST_F(SourceViewerTest, AnAddedWindowShowsTheBrowserOfItsOwnPage) {
    server.SetPage("/one", "<html><head><title>一</title></head><body>第一页</body></html>");
    server.SetPage("/two", "<html><head><title>二</title></head><body>第二页</body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/one", "");
    PrepareWindow(2, "乙", "/two", "");
    f.PageControl()->SetSelection(1);
    WithViewer(1, [&](TWebSourceFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "一 - 源代码");
        EXPECT_EQ(Text(d), "第一页");
    });
    EXPECT_EQ(f.Configs()[2].Browser, f.Window(1)->Browser());  // the snapshot was taken
}

TEST_F(SourceViewerTest, AnEmptyBodyGivesAnEmptyEditorWhoseCaptionStillEnds) {
    server.SetPage("/empty", "<html><head></head><body></body></html>");
    StartFrame();
    PrepareWindow(1, "甲", "/empty", "");
    WithViewer(1, [&](TWebSourceFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), " - 源代码");
        EXPECT_EQ(Text(d), "");
    });
}

TEST_F(SourceViewerTest, APageStillLoadingShowsWhatItsBodyHoldsSoFar) {
    // The first part of the page arrives at once, the rest when the gate opens. The first part
    // is long enough for the engine to start showing the page before it has the whole of it.
    auto rest = std::make_shared<Gate>();  // outlives the test: the server may still wait on it
    static const std::string head =
        "<html><head><title>慢</title></head><body><div>已到部分</div>"
        "<!--" +
        std::string(4096, ' ') + "-->";
    static const std::string tail = "<div>后来部分</div></body></html>";
    server.Get("/slow", [rest](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(head.size() + tail.size(), "text/html; charset=utf-8",
                                 [rest](size_t offset, size_t, httplib::DataSink& sink) {
                                     if (offset > 0) rest->Wait();
                                     const std::string& part = offset == 0 ? head : tail;
                                     sink.write(part.data(), part.size());
                                     return true;
                                 });
    });
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    MonitorWindow* w = f.Window(1);
    w->NameEdit()->SetValue("slow");
    w->UrlEdit()->SetValue(server.Url("/slow"));
    f.OpenPageNClick(1);
    // Wait until the first part is in the live document.
    bool reading = false, arrived = false;
    ASSERT_TRUE(PumpUntil([&] {
        if (!reading) {
            reading = true;
            w->Browser()->ReadPage([&](const PageContent& page) {
                arrived = page.body.bytes().find(G("已到部分")) != std::string::npos;
                reading = false;
            });
        }
        return arrived;
    }));
    ASSERT_TRUE(w->Browser()->IsLoading());
    WithViewer(1, [&](TWebSourceFrm& d) {
        EXPECT_NE(Text(d).find("已到部分"), std::string::npos) << Text(d);
        EXPECT_EQ(Text(d).find("后来部分"), std::string::npos);
    });
    rest->Open();
}

TEST_F(SourceViewerTest, ABrowserWithoutADocumentOrWithoutABodyIsReportedInTheErrorBox) {
    server.SetPage("/image.svg",
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>",
                   "image/svg+xml");
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    Click(f.DefaultPage().SourceButton());
    Click(f.Window(1)->SourceButton());
    ASSERT_EQ(notices->shown.size(), 2u);
    EXPECT_EQ(notices->shown[0].text, "无法获取源代码, 错误可能是因为：浏览器中还没有打开网页");
    EXPECT_EQ(notices->shown[0].caption, "错误");
    EXPECT_FALSE(notices->shown[0].owned);
    EXPECT_EQ(notices->shown[1].text, "无法获取源代码N, 错误可能是因为：浏览器中还没有打开网页");

    PrepareWindow(1, "图", "/image.svg", "");
    Click(f.Window(1)->SourceButton());
    ASSERT_TRUE(PumpUntil([&] { return notices->shown.size() == 3; }));
    EXPECT_EQ(notices->shown[2].text,
              "无法获取源代码N, 错误可能是因为：当前网页没有正文（body），无法读取网页内容");
    EXPECT_FALSE(ModalDriver::ModalOpen());
}

// A page whose script never stops does not answer: the request ends in the read time-out's
// message, and meanwhile the viewers of windows in other web processes open as usual.
TEST_F(SourceViewerTest, APageThatNeverAnswersEndsInTheTimeOutAndHoldsUpNoOtherWindow) {
    server.SetPage("/busy",
                   "<html><body>忙<script>addEventListener('load', function() {"
                   " setTimeout(function() { for (;;) {} }, 300); });</script></body></html>");
    server.SetPage("/calm", "<html><head><title>静</title></head><body>安静</body></html>");
    TMainFrm& f = StartFrame();
    f.Engine().SetTimeouts({.load = 1s, .read = 3s});
    PrepareWindow(1, "忙", "/busy", "");
    PrepareWindow(6, "静", "/calm", "");  // windows 5 to 9 share another process
    Pump(600);
    Click(f.Window(1)->SourceButton());
    EXPECT_TRUE(f.SourceRequestPending(1));
    Click(f.Window(1)->SourceButton());  // still pending: not taken twice
    EXPECT_FALSE(f.SourceRequestPending(6));
    WithViewer(6, [&](TWebSourceFrm& d) { EXPECT_EQ(Text(d), "安静"); });
    ASSERT_TRUE(PumpUntil([&] { return !f.SourceRequestPending(1); }, 10000));
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(
        notices->shown[0].text,
        "无法获取源代码N, 错误可能是因为：读取网页内容超时：网页没有响应（可能有脚本一直在运行）");
}

}  // namespace
}  // namespace nuvaro::testing
