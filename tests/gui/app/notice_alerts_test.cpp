// Failed notices on the desktop: the real main window, its dispatcher and the real plug-ins
// against servers on 127.0.0.1; balloons are recorded instead of shown.
#include "app/notice_alerts.h"

#include <gmock/gmock.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include <thread>

#include "core/gbk.h"
#include "harness/main_frame_fixture.h"
#include "notify/notify_dispatcher.h"
#include "platform/wx/tray_icon.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"

namespace nuvaro::testing {
namespace {

using ::testing::HasSubstr;

class NoticeAlertsTest : public MainFrameTest {
  protected:
    FailedNotice Failure(const std::string& name) {
        return {"2", name, "EMAIL", "a@example.com", "550 没有这个用户", false};
    }
};

TEST_F(NoticeAlertsTest, EachFinalFailureRaisesOneBalloonAndTheTrayCountsThem) {
    InstallPlugins(dir);
    SmtpTestServer refusing(SmtpTestServer::Mode::RejectRecipient);
    dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" +
                               std::to_string(refusing.Port()) + "\r\nTimeout=10\r\n");
    dir.Write("sms.inf", "[sms]\r\nGateway=http://127.0.0.1:1/\r\n");
    WriteConfig(
        "[1]\nWindowName=首页\n[2]\nWindowName=显卡\nToMail=a@example.com\n"
        "SmsOpen=1\nEmailOpen=1\n");
    TMainFrm& f = StartFrame();
    f.Configs()[2].SaveAll();  // the window record the senders read
    const std::string none =
        "Nuvaro\n正在监控：0 个窗口\n上次检查失败：0 个窗口\n通知发送失败：0 条";
    EXPECT_EQ(f.TrayIcon()->ToolTip().utf8_string(), none);
    f.Dispatcher().Dispatch(f.Configs()[2], GT("到货"));
    ASSERT_TRUE(f.Dispatcher().WaitUntilIdle(std::chrono::seconds(60)));
    ASSERT_TRUE(PumpUntil([&] { return balloons->shown.size() == 2; }));
    Pump(100);
    ASSERT_EQ(balloons->shown.size(), 2u);  // the SMS without numbers and the refused mail
    std::vector<std::string> texts;
    for (const auto& b : balloons->shown) {
        EXPECT_EQ(b.title, "通知发送失败");
        texts.push_back(b.text);
    }
    EXPECT_THAT(texts, ::testing::UnorderedElementsAre(
                           "窗口：显卡\n方式：短信\n原因：没有手机号码",
                           ::testing::StartsWith("窗口：显卡\n方式：邮件 a@example.com\n原因：")));
    EXPECT_EQ(f.TrayIcon()->ToolTip().utf8_string(),
              "Nuvaro\n正在监控：0 个窗口\n上次检查失败：0 个窗口\n通知发送失败：2 条");
    EXPECT_EQ(f.Alerts().FailedCount(), 2);

    f.SeeLogClick();  // the user opened the logs
    EXPECT_EQ(f.TrayIcon()->ToolTip().utf8_string(), none);
    EXPECT_TRUE(notices->shown.empty());  // never a box
}

// A mail server that is down keeps the notice waiting in the outbox; the tray says so, and
// the notice stays for the next start when the program exits.
TEST_F(NoticeAlertsTest, TheTrayCountsNoticesWaitingForTheirServer) {
    InstallPlugins(dir);
    dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" +
                               std::to_string(FreeLoopbackPort()) + "\r\n");
    WriteConfig(
        "[1]\nWindowName=首页\n[2]\nWindowName=显卡\nToMail=a@example.com\n"
        "EmailOpen=1\n");
    TMainFrm& f = StartFrame();
    f.Configs()[2].SaveAll();
    f.Dispatcher().Dispatch(f.Configs()[2], GT("到货"));
    ASSERT_TRUE(PumpUntil([&] { return !SendLogLines(dir).empty(); }));
    ASSERT_TRUE(PumpUntil([&] {
        return f.TrayIcon()->ToolTip().utf8_string().find("\n等待发送的通知：1 条") !=
               std::string::npos;
    }));
    EXPECT_TRUE(balloons->shown.empty());  // not failed: it waits
    CloseFrame();
    EXPECT_NE(dir.Read("outbox.inf").find("a@example.com"), std::string::npos);
}

// A modal box runs its own loop; a failure reported meanwhile from a delivery thread is shown
// while the box is still open.
TEST_F(NoticeAlertsTest, AFailureIsShownWhileAModalBoxIsOpen) {
    TMainFrm& f = StartFrame();
    auto observer = f.Alerts().Observer();
    wxDialog box(&f, wxID_ANY, "modal");
    wxTimer poll;
    std::thread reporter;
    bool shownWhileOpen = false;
    int ticks = 0;
    poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        if (!reporter.joinable()) {
            reporter = std::thread([&] { observer(Failure("显卡")); });
        } else if (!balloons->shown.empty() || ++ticks > 400) {
            shownWhileOpen = !balloons->shown.empty();
            box.EndModal(wxID_OK);
        }
    });
    poll.Start(25);
    box.ShowModal();
    poll.Stop();
    reporter.join();
    EXPECT_TRUE(shownWhileOpen);
    EXPECT_EQ(balloons->shown.size(), 1u);
}

TEST_F(NoticeAlertsTest, AClickOnTheBalloonHandsTheFailureToItsHandler) {
    TMainFrm& f = StartFrame();
    std::vector<std::string> clicked;
    f.Alerts().OnBalloonClick = [&](const FailedNotice& failed) { clicked.push_back(failed.slot); };
    f.Alerts().Raise(Failure("显卡"));
    ASSERT_EQ(balloons->shown.size(), 1u);
    ASSERT_TRUE(balloons->shown[0].onClick);
    balloons->shown[0].onClick();
    EXPECT_EQ(clicked, std::vector<std::string>{"2"});
}

TEST_F(NoticeAlertsTest, AWindowWithoutANameIsNamedByItsSlot) {
    FailedNotice failed{"7", "", "PROGRAM", "/usr/bin/x", "无法启动本地程序", false};
    EXPECT_EQ(NoticeAlerts::BalloonText(failed).utf8_string(),
              "窗口：[7]\n方式：本地程序 /usr/bin/x\n原因：无法启动本地程序");
}

TEST_F(NoticeAlertsTest, AFailureArrivingAfterTheAlertsAreGoneIsDropped) {
    TTrayNotifyIcon tray;
    std::function<void(const FailedNotice&)> observer;
    {
        NoticeAlerts alerts(tray, *balloons);
        observer = alerts.Observer();
    }
    observer(Failure("显卡"));
    Pump(100);
    EXPECT_TRUE(balloons->shown.empty());
}

}  // namespace
}  // namespace nuvaro::testing
