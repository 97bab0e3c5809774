// The boxes of failing ticks as a user meets them: titled with the window, the reason in
// Chinese for what really went wrong with real pages on 127.0.0.1 (refused, unknown name,
// silence, an untrusted certificate, HTTP 502), placed apart and in front of the window the
// user works in.
#include <gtk/gtk.h>
#include <httplib.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <atomic>
#include <set>

#include "app/monitor_window.h"
#include "core/gbk.h"
#include "harness/monitor_fixture.h"
#include "monitor/ui/log_viewer_frm.h"
#include "platform/desktop_notices.h"
#include "platform/tab_tooltip.h"
#include "services/services.h"
#include "support/notify_helpers.h"

extern char** environ;

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;

// Takes connections into its backlog and never answers them.
class SilentServer {
  public:
    SilentServer() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_fd, 16);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { close(m_fd); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }

  private:
    int m_fd = -1;
    int m_port = 0;
};

// Runs a program to its end; true when it succeeded.
bool RunProgram(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<GtkWindow*> OpenBoxes() {
    std::vector<GtkWindow*> boxes;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            boxes.push_back(GTK_WINDOW(w->data));
        }
    }
    g_list_free(windows);
    return boxes;
}

void CloseBoxes() {
    for (GtkWindow* box : OpenBoxes()) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
}

enum class Failure { Refused, UnknownHost, Silent, Certificate, Http502 };

struct BoxCase {
    const char* name;
    Failure failure;
    std::string text;  // the box's text starts so
};

class ErrorBoxTest : public MonitorTest, public ::testing::WithParamInterface<BoxCase> {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        server.SetPage("/ok", "<html><body>价格128</body></html>");
        server.Get("/busy", [](const httplib::Request&, httplib::Response& res) {
            res.status = 502;  // 503 asks the site's windows to wait: no error
            res.set_content("<html><body>busy</body></html>", "text/html");
        });
    }

    // An address that fails the way the case says.
    std::string FailingUrl(Failure failure) {
        switch (failure) {
            case Failure::Refused:
                return "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/";
            case Failure::UnknownHost:
                // A name no resolver is asked for: its first label is longer than DNS allows.
                return "http://" + std::string(70, 'a') + ".invalid/";
            case Failure::Silent:
                return silent.Url();
            case Failure::Certificate: {
                const std::string cert = dir.File("cert.pem"), key = dir.File("key.pem");
                EXPECT_TRUE(RunProgram({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                        "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
                                        "-out", cert, "-days", "1", "-subj", "/CN=127.0.0.1"}));
                https = std::make_unique<LocalHttpServer>(cert, key);
                https->SetPage("/", "<html><body>价格128</body></html>");
                return https->Url("/");
            }
            case Failure::Http502:
                return server.Url("/busy");
        }
        return {};
    }

    // The default page, named and monitoring, on a page that works.
    TMainFrm& MonitoringDefaultPage(const std::string& name) {
        TMainFrm& f = StartFrame();
        f.Engine().SetTimeouts({.load = 3s});
        PrepareWindow(0, name, "/ok", "到货");
        f.DefaultPage().RefreshEdit()->SetValue("1");
        f.StartStopClick();
        EXPECT_TRUE(f.IsMonitoring(0));
        return f;
    }

    SilentServer silent;
    std::unique_ptr<LocalHttpServer> https;
};

TEST_P(ErrorBoxTest, TheBoxNamesItsWindowAndSaysWhyInChinese) {
    TMainFrm& f = MonitoringDefaultPage("价格页");
    f.DefaultPage().UrlEdit()->SetValue(wxString::FromUTF8(FailingUrl(GetParam().failure)));
    notices->shown.clear();
    Tick(0);
    ASSERT_EQ(notices->shown.size(), 1u);
    const auto& box = notices->shown[0];
    EXPECT_EQ(box.caption, "Nuvaro - 价格页");
    EXPECT_EQ(box.icon, Notices::Icon::Error);
    EXPECT_EQ(box.text.rfind(GetParam().text, 0), 0u) << box.text;
    // The same words in the error log and on the tab.
    EXPECT_NE(
        ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt"))).find("[1][价格页]" + box.text),
        std::string::npos);
    EXPECT_NE(TabToolTip(f.PageControl(), 0).utf8_string().find(box.text), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ErrorBoxTest,
    ::testing::Values(
        BoxCase{"Refused", Failure::Refused, "网页加载失败：服务器拒绝了连接请求（"},
        BoxCase{"UnknownHost", Failure::UnknownHost,
                "网页加载失败：找不到服务器（域名无法解析）（"},
        BoxCase{"NoAnswer", Failure::Silent, "网页加载失败：连接超时，服务器 3 秒内没有响应"},
        BoxCase{"Certificate", Failure::Certificate,
                "网页加载失败：网站的安全证书不受信任，连接已中止（"},
        BoxCase{"Http502", Failure::Http502,
                "网页加载失败：网关错误，上游服务器没有正确响应（HTTP 502 Bad Gateway）"}),
    [](const auto& info) { return std::string(info.param.name); });

// The desktop's own boxes: two windows that fail together give two boxes that do not lie on
// each other, each titled with its window.
TEST_F(MonitorTest, TwoWindowsFailingAtOnceGiveTwoBoxesApart) {
    SetNotices(std::make_unique<DesktopNotices>());
    auto down = std::make_shared<std::atomic<bool>>(false);
    server.Get("/a", [down](const httplib::Request&, httplib::Response& res) {
        res.status = *down ? 500 : 200;
        res.set_content("<html><body>甲</body></html>", "text/html; charset=utf-8");
    });
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "甲", "/a", "到货");
    PrepareWindow(2, "乙", "/a", "到货");
    for (int n : {1, 2}) {
        f.Window(n)->RefreshEdit()->SetValue("1");
        Click(f.Window(n)->StartStopButton());
    }
    CloseBoxes();  // the start messages
    *down = true;
    f.TickWindow(1, TickKind::Timer);
    f.TickWindow(2, TickKind::Timer);
    WaitForTick(1);
    WaitForTick(2);
    ASSERT_TRUE(PumpUntil([] { return OpenBoxes().size() == 2; }));
    std::set<std::string> titles;
    std::set<std::pair<int, int>> places;
    for (GtkWindow* box : OpenBoxes()) {
        titles.insert(gtk_window_get_title(box));
        int x = 0, y = 0;
        gtk_window_get_position(box, &x, &y);
        places.insert({x, y});
    }
    EXPECT_EQ(titles, (std::set<std::string>{"Nuvaro - 甲", "Nuvaro - 乙"}));
    ASSERT_EQ(places.size(), 2u);  // not on top of each other
    EXPECT_NE(places.begin()->first, places.rbegin()->first);
    EXPECT_NE(places.begin()->second, places.rbegin()->second);
    CloseBoxes();
}

// Who has the keyboard is only certain on a display of its own (see tests/CMakeLists.txt).
class FocusTest : public MonitorTest {};

// A box that comes while the log viewer is in front stands above the viewer, not behind it.
TEST_F(FocusTest, ABoxOpenedOverTheLogViewerStandsInFrontOfIt) {
    SetNotices(std::make_unique<DesktopNotices>());
    TMainFrm& f = StartFrame();
    f.SeeLogClick();
    TLogViewerFrm* viewer = f.LogViewer();
    ASSERT_NE(viewer, nullptr);
    auto* viewerWindow = GTK_WINDOW(viewer->GetHandle());
    gtk_window_present(viewerWindow);
    ASSERT_TRUE(PumpUntil([&] { return gtk_window_is_active(viewerWindow); }, 5000));
    f.RefreshPageClick();  // the default page's test: no page opened yet
    ASSERT_TRUE(PumpUntil([] { return OpenBoxes().size() == 1; }));
    GtkWindow* box = OpenBoxes()[0];
    EXPECT_EQ(gtk_window_get_transient_for(box), viewerWindow);
    EXPECT_TRUE(PumpUntil([&] { return gtk_window_is_active(box); }, 5000));  // has the keyboard
    CloseBoxes();
}

}  // namespace
}  // namespace nuvaro::testing
