// What the tabs and the notification-area icon tell at a glance, over real ticks: running or
// stopped first, marks for a failure and for a change not yet seen, the windows named.
#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "app/notice_alerts.h"
#include "core/gbk.h"
#include "harness/monitor_fixture.h"
#include "monitor/window_status_text.h"
#include "platform/gtk/web_browser.h"
#include "platform/wx/tray_icon.h"

namespace nuvaro::testing {
namespace {

std::string Page(const std::string& body) { return "<html><body>" + body + "</body></html>"; }

class AtAGlanceTest : public MonitorTest {
  protected:
    // Windows 1 "显卡" (its condition does not compile: it fails) and 2 "内存" (finds a change),
    // both monitoring, each ticked once while the default page is in front.
    TMainFrm& FailingAndChanged() {
        server.SetPage("/p", Page("内存到货了"));
        TMainFrm& f = StartFrame();
        PrepareWindow(1, "显卡", "/p", "+86");
        PrepareWindow(2, "内存", "/p", "到货");
        for (int n : {1, 2}) {
            f.Window(n)->RefreshEdit()->SetValue("1");
            Click(f.Window(n)->StartStopButton());
        }
        f.PageControl()->SetSelection(0);
        Tick(1);
        Tick(2);
        return f;
    }
    int Image(int page) { return frame->PageControl()->GetPageImage(page); }
    std::string Tip() { return frame->TrayIcon()->ToolTip().utf8_string(); }
};

TEST_F(AtAGlanceTest, TheTrayIconIsMarkedAndItsTooltipNamesTheWindows) {
    FailingAndChanged();
    EXPECT_EQ(frame->Alerts().Mark(), TrayMark::Failing);
    EXPECT_EQ(Tip(),
              "Nuvaro\n正在监控：2 个窗口\n上次检查失败：显卡\n有未查看的变化：内存\n"
              "通知发送失败：0 条");

    frame->Configs()[2].Regx = "内存";
    Tick(1);  // works again: what is left is the change not seen
    EXPECT_EQ(frame->Alerts().Mark(), TrayMark::ChangeUnseen);
    EXPECT_EQ(Tip(),
              "Nuvaro\n正在监控：2 个窗口\n上次检查失败：0 个窗口\n有未查看的变化：显卡、内存\n"
              "通知发送失败：0 条");

    frame->PageControl()->SetSelection(1);
    frame->PageControl()->SetSelection(2);  // both looked at
    EXPECT_EQ(frame->Alerts().Mark(), TrayMark::AllWell);
    EXPECT_EQ(Tip(), "Nuvaro\n正在监控：2 个窗口\n上次检查失败：0 个窗口\n通知发送失败：0 条");
}

TEST_F(AtAGlanceTest, StoppedTabsStillShowTheirMarks) {
    FailingAndChanged();
    EXPECT_EQ(Image(1), TabIconIndex({true, false, true}));
    EXPECT_EQ(Image(2), TabIconIndex({true, true, false}));
    frame->StopAllClick();
    EXPECT_EQ(Image(1), TabIconIndex({false, false, true}));  // stopped, last tick failed
    EXPECT_EQ(Image(2), TabIconIndex({false, true, false}));  // stopped, change not seen
    EXPECT_EQ(Image(0), TabIconIndex({false, false, false}));
    EXPECT_NE(Image(1), Image(2));
    frame->PageControl()->SetSelection(2);
    EXPECT_EQ(Image(2), TabIconIndex({false, false, false}));
}

// Enter in the address box opens the page, as the button does.
TEST_F(AtAGlanceTest, EnterInTheAddressOpensThePage) {
    server.SetPage("/p", Page("到货"));
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    for (int n : {0, 1}) {
        MonitorWindow* window = f.Window(n);
        window->NameEdit()->SetValue(wxString::FromUTF8("甲"));
        window->UrlEdit()->SetValue(server.Url("/p"));
        wxCommandEvent enter(wxEVT_TEXT_ENTER, window->UrlEdit()->GetId());
        enter.SetEventObject(window->UrlEdit());
        window->UrlEdit()->ProcessWindowEvent(enter);
        EXPECT_TRUE(PumpUntil([&] { return window->Browser()->LocationURL() == server.Url("/p"); }))
            << n;
    }
    EXPECT_EQ(ConfigValue("2", "url"), server.Url("/p"));
}

}  // namespace
}  // namespace nuvaro::testing
