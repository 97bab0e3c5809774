// Nothing that finished work hands to the user-interface thread waits behind a modal loop:
// the desktop's real boxes, the real work queue and real ticks over WebKit.
#include <gtk/gtk.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "app/monitor_window.h"
#include "harness/monitor_fixture.h"
#include "platform/desktop_notices.h"
#include "services/services.h"
#include "services/ui_work_queue.h"

namespace nuvaro::testing {
namespace {

void CloseOpenBoxes() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
        }
    }
    g_list_free(windows);
}

// Runs `inside` every 50 ms while a modal box is open, until it returns true; then closes the
// boxes. After 30 s they are closed all the same, so a test never hangs.
class WhileBoxIsOpen {
  public:
    explicit WhileBoxIsOpen(std::function<bool()> inside) : m_inside(std::move(inside)) {
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            if (m_done) return;
            if (m_inside()) {
                m_done = true;
            } else if (++m_polls < 600) {
                return;
            }
            CloseOpenBoxes();
        });
        m_timer.Start(50);
    }
    bool Done() const { return m_done; }

  private:
    std::function<bool()> m_inside;
    wxTimer m_timer;
    bool m_done = false;
    int m_polls = 0;
};

int OpenBoxes() {
    int boxes = 0;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        boxes += GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data));
    }
    g_list_free(windows);
    return boxes;
}

TEST(UiWorkQueue, AJobThatOpensAModalBoxHoldsUpNoLaterJob) {
    DesktopNotices notices;
    bool later = false;
    WhileBoxIsOpen probe([&] { return later; });
    PostUiWork([&] { notices.ShowMessage("一个停在这里的框"); });
    PostUiWork([&] { later = true; });
    ASSERT_TRUE(PumpUntil([&] { return probe.Done(); }, 10000));
}

class UnattendedTest : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        SetNotices(std::make_unique<DesktopNotices>());  // real boxes
    }
    void StartMonitoring(int n) {
        frame->Window(n)->RefreshEdit()->SetValue("1");
        frame->StartStopNClick(n);
        ASSERT_TRUE(PumpUntil([] { return OpenBoxes() == 1; }));  // the start message
        CloseOpenBoxes();
    }
    void TearDown() override {
        CloseOpenBoxes();
        MonitorTest::TearDown();
    }
};

TEST_F(UnattendedTest, TicksRunToTheirEndInsideTheModalBoxOfAUserCommand) {
    server.SetPage("/p", "<html><body>到货</body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "到货");
    StartMonitoring(1);
    bool ticked = false;
    WhileBoxIsOpen probe([&] {
        if (!ticked) {
            ticked = true;
            f.WindowTimer(1);
        }
        return !f.TickInProgress(1) && !InformLines().empty();
    });
    f.AboutClick();  // the About box, modal until the probe closes it
    EXPECT_TRUE(probe.Done());
    EXPECT_EQ(InformLines(), std::vector<std::string>{"[2][到货]监控点信息发生变化，发出提醒[甲]"});
}

TEST_F(UnattendedTest, ErrorBoxesLeftOpenStopNoWindowAndEachWindowShowsOne) {
    server.SetPage("/p", "<html><body>到货</body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/p", "+86");  // does not compile: every tick ends in the error box
    PrepareWindow(2, "乙", "/p", "到货");
    StartMonitoring(1);
    StartMonitoring(2);
    for (int round = 0; round < 3; ++round) {
        f.WindowTimer(1);
        f.WindowTimer(2);
        WaitForTick(1);
        WaitForTick(2);
    }
    EXPECT_EQ(OpenBoxes(), 1);
    EXPECT_EQ(InformLines().size(), 3u);  // 乙 went on: a change, then two repeats
    std::string errors = dir.Read("Log/errorlog.txt");
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 3);
}

}  // namespace
}  // namespace nuvaro::testing
