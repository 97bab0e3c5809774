// The whole job on the real main window: two windows watch pages on 127.0.0.1 that change,
// and a change reaches an SMTP server, an HTTP SMS gateway and a local program through the
// real plug-ins and the desktop shell. Ticks come through the windows' own timers.
#include <httplib.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <filesystem>

#include "app/monitor_window.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "harness/monitor_fixture.h"
#include "notify/notify_dispatcher.h"
#include "services/services.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class EndToEnd : public MonitorTest {
  protected:
    void SetUp() override {
        MonitorTest::SetUp();
        SetShell(nullptr);  // the desktop shell starts the program for real
        InstallPlugins(dir);
        recorder = InstallRecorder(dir);
        gateway.Get("/sms", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("{\"code\":0}", "application/json");
        });
        dir.Write("sms.inf", "[sms]\r\nGateway=" + gateway.Url("/sms") +
                                 "?to={number}&text={text}&user={account}\r\nAccount=shop01\r\n"
                                 "Timeout=10\r\n");
        dir.Write("email.inf",
                  "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(mail.Port()) +
                      "\r\nUserName=\r\nTimeout=10\r\nConnectTimeout=10\r\n");
        WriteConfig(
            "[1]\nWindowName=首页\nRefreshTime=1\n"
            "[2]\nWindowName=价格\nRefreshTime=1\nToMail=buyer@example.com\n"
            "Subject=Nuvaro提醒邮件\nBody=降价了\nSmsBody=降价了\nMobile=13800138000\n"
            "Contry=+86\nSmsOpen=1\nEmailOpen=1\nOtherOpen=1\nOtherProgram=" +
            recorder + "\nOtherStr=--shop 京东 \"two words\"\n");
    }

    std::string recorder;
    LocalHttpServer gateway;
    SmtpTestServer mail;
};

TEST_F(EndToEnd, AChangeIsNotifiedEverywhereThenRepeatsAndAbsencesAreOnlyLogged) {
    server.SetPage("/price", "<html><body><b>价格128</b></body></html>");
    server.SetPage("/news", "<html><body>今日无新闻</body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(0, "首页", "/news", "新品");
    PrepareWindow(1, "价格", "/price", "价格(\\d+)", "1");
    f.StartStopClick();
    Click(f.Window(1)->StartStopButton());
    ASSERT_TRUE(f.IsMonitoring(0) && f.IsMonitoring(1));

    Tick(1);
    Tick(0);
    ASSERT_TRUE(f.Dispatcher().WaitUntilIdle(60s));
    ASSERT_TRUE(mail.WaitForMessages(1));
    auto message = mail.Messages()[0];
    EXPECT_EQ(message.subject, "Nuvaro提醒邮件");
    EXPECT_EQ(message.rcpt, "buyer@example.com");
    EXPECT_NE(message.body.find("降价了"), std::string::npos);
    auto sms = gateway.Requests();
    ASSERT_EQ(sms.size(), 1u);
    EXPECT_EQ(sms[0].Param("to"), "+8613800138000");
    EXPECT_EQ(sms[0].Param("text"), "降价了");
    EXPECT_EQ(sms[0].Param("user"), "shop01");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    EXPECT_EQ(RecordedStarts(dir)[0].args, (Lines{"--shop", "京东", "two words"}));
    auto sent = WaitForSendLog(dir, 3);  // program, SMS and mail
    ASSERT_EQ(sent.size(), 3u);

    server.SetPage("/price", "<html><body><b>价格128</b> 还是这个价</body></html>");
    Tick(1);
    server.SetPage("/price", "<html><body>暂时缺货</body></html>");
    Tick(1);
    ASSERT_TRUE(f.Dispatcher().WaitUntilIdle(60s));
    EXPECT_EQ(InformLines(), (Lines{"[2][128]监控点信息发生变化，发出提醒[价格]",
                                    "[0][]在刚才的网页刷新中没有发现要监控的变化[首页]",
                                    "[2][128]发现重复提醒信息，跳过[价格]",
                                    "[0][]在刚才的网页刷新中没有发现要监控的变化[价格]"}));
    EXPECT_EQ(MatchLines(), (Lines{"=2=价格=128==价格(\\d+)", "=2=价格=128==价格(\\d+)"}));
    EXPECT_EQ(mail.Messages().size(), 1u);  // nothing more was sent
    EXPECT_EQ(gateway.Requests().size(), 1u);
    EXPECT_EQ(RecordedStarts(dir).size(), 1u);
    EXPECT_TRUE(notices->shown.size() <= 2u);  // the two start messages, nothing from ticks
}

// What the tick found reaches every channel through the placeholders, whole.
TEST_F(EndToEnd, TheFoundTextOfATickFillsThePlaceholdersOfEveryChannel) {
    WriteConfig(
        "[1]\nWindowName=首页\n"
        "[2]\nWindowName=价格\nRefreshTime=1\nToMail=buyer@example.com\n"
        "Subject={name}有变化\nBody=降到{found}元\nSmsBody=价格{found}\nMobile=13800138000\n"
        "Contry=+86\nSmsOpen=1\nEmailOpen=1\nOtherOpen=1\nOtherProgram=" +
        recorder + "\nOtherStr=--found {found} --slot {slot}\n");
    server.SetPage("/price", "<html><body><b>价格 1 28</b></body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格([\\d ]+)", "1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].subject, "价格有变化");
    EXPECT_NE(mail.Messages()[0].body.find("降到 1 28元"), std::string::npos)
        << mail.Messages()[0].body;
    ASSERT_TRUE(WaitFor([&] { return gateway.Requests().size() == 1; }));
    EXPECT_EQ(gateway.Requests()[0].Param("text"), "价格 1 28");
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 1; }));
    EXPECT_EQ(RecordedStarts(dir)[0].args, (Lines{"--found", " 1 28", "--slot", "2"}));
}

// Old -> new: each notice also tells what the window notified before, on every channel and on
// the desktop.
TEST_F(EndToEnd, ThePreviousFoundTextFillsThePlaceholdersOverTwoChanges) {
    WriteConfig(
        "[1]\nWindowName=首页\n"
        "[2]\nWindowName=价格\nRefreshTime=1\nToMail=buyer@example.com\n"
        "Subject={name}：{previous} → {found}\nBody=价格从{previous}变为{found}\n"
        "SmsBody={previous}->{found}\nMobile=13800138000\n"
        "Contry=+86\nSmsOpen=1\nEmailOpen=1\nOtherOpen=1\nOtherProgram=" +
        recorder + "\nOtherStr=--old {previous} --new {found}\n");
    server.SetPage("/price", "<html><body><b>价格199</b></body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格(\\d+)", "1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);
    ASSERT_TRUE(mail.WaitForMessages(1));
    server.SetPage("/price", "<html><body><b>价格159</b></body></html>");
    Tick(1);
    ASSERT_TRUE(mail.WaitForMessages(2));
    ASSERT_TRUE(f.Dispatcher().WaitUntilIdle(60s));
    std::vector<std::string> subjects, bodies;
    for (const auto& message : mail.Messages()) subjects.push_back(message.subject);
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects, (Lines{"价格： → 199", "价格：199 → 159"}));
    bool oldToNew = false;
    for (const auto& message : mail.Messages()) {
        oldToNew = oldToNew || message.body.find("价格从199变为159") != std::string::npos;
    }
    EXPECT_TRUE(oldToNew);
    std::vector<std::string> texts;
    for (const auto& request : gateway.Requests()) texts.push_back(request.Param("text"));
    EXPECT_EQ(texts, (Lines{"->199", "199->159"}));
    ASSERT_TRUE(WaitFor([&] { return RecordedStarts(dir).size() == 2; }));
    EXPECT_EQ(RecordedStarts(dir)[0].args, (Lines{"--old", "", "--new", "199"}));
    EXPECT_EQ(RecordedStarts(dir)[1].args, (Lines{"--old", "199", "--new", "159"}));
    ASSERT_FALSE(balloons->shown.empty());
    EXPECT_EQ(balloons->shown.back().text, "发现变化：199 → 159");
}

TEST_F(EndToEnd, AMailServerThatNeverAnswersIsBoundedLoggedAndTheTickGoesOn) {
    SmtpTestServer silent(SmtpTestServer::Mode::Silent);
    dir.Write("email.inf",
              "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(silent.Port()) +
                  "\r\nTimeout=2\r\nConnectTimeout=2\r\n");
    server.SetPage("/price", "<html><body><b>价格128</b></body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格(\\d+)", "1");
    Click(f.Window(1)->StartStopButton());
    Tick(1);  // the tick does not wait for the mail
    EXPECT_EQ(InformLines(), Lines{"[2][128]监控点信息发生变化，发出提醒[价格]"});
    // The first try times out and is logged; its retries come later.
    auto mailFailed = [&] {
        for (const auto& line : SendLogLines(dir)) {
            if (line.find("[EMAIL][2][buyer@example.com][try 1] FAILED") != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(mailFailed, 60s));
    EXPECT_EQ(gateway.Requests().size(), 1u);  // the SMS went all the same
}

// The missing plug-in is its channel's failure alone, told once: the change counts as
// notified, so the next tick is a repeat and sends nothing again.
TEST_F(EndToEnd, AMissingPlugInFailsItsChannelOnceAndTheChangeIsNotSentAgain) {
    std::filesystem::remove(dir.File("smsdll.so"));
    server.SetPage("/price", "<html><body><b>价格128</b></body></html>");
    TMainFrm& f = StartFrame();
    PrepareWindow(1, "价格", "/price", "价格(\\d+)", "1");
    Click(f.Window(1)->StartStopButton());
    notices->shown.clear();
    Tick(1);
    Tick(1);
    EXPECT_TRUE(notices->shown.empty());  // no tick error box
    EXPECT_EQ(ToUtf8(f.Configs()[2].LastMatch), "128");
    const auto inform = InformLines();
    ASSERT_EQ(inform.size(), 2u);
    EXPECT_NE(inform[1].find(text::kLogRepeat), std::string::npos) << inform[1];
    const std::string errors = ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find(dir.File("smsdll.so")), std::string::npos) << errors;
}

}  // namespace
}  // namespace nuvaro::testing
