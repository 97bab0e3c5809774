// The dispatch over the real plug-ins, the real desktop shell, an SMTP server and an HTTP SMS
// gateway on 127.0.0.1, and a local program that records its arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>

#include "config/tconfig.h"
#include "core/gbk.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "support/notify_helpers.h"
#include "platform/posix/desktop_shell.h"
#include "support/smtp_test_server.h"
#include "support/http_server.h"

namespace nuvaro {
namespace {

using namespace std::chrono_literals;
using testing::G;
using ::testing::HasSubstr;
using testing::LocalHttpServer;
using testing::SmtpTestServer;

class DispatchEndToEnd : public ::testing::Test {
  protected:
    DispatchEndToEnd() {
        testing::InstallPlugins(m_dir);
        m_gateway.Get("/sms", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("ok", "text/plain");
        });
        m_dir.Write("sms.inf", "[sms]\r\nGateway=" + m_gateway.Url("/sms") +
                                   "?to={number}&text={text}\r\nTimeout=10\r\n");
    }

    void MailServer(int port, int timeout = 10) {
        m_dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(port) +
                                     "\r\nTimeout=" + std::to_string(timeout) +
                                     "\r\nConnectTimeout=" + std::to_string(timeout) + "\r\n");
    }

    TConfig& Window(int index) {
        m_slots.push_back(std::make_unique<TConfig>(index, m_dir.File("Config.inf")));
        TConfig& slot = *m_slots.back();
        slot.Regx = G("缺货|到货");
        slot.ToMail = "watcher@example.com";
        slot.Subject = G("Nuvaro提醒邮件");
        slot.Body = slot.SmsBody = G("有货了");
        slot.Mobile = "13800138000";
        slot.Contry = "+86";
        slot.OtherOpen = slot.SmsOpen = slot.EmailOpen = "1";
        slot.OtherProgram = G(m_recorder);
        slot.OtherStr = G("--window 商店 \"two words\"");
        slot.SaveAll();
        return slot;
    }

    testing::TempExeDir m_dir;
    std::string m_recorder = testing::InstallRecorder(m_dir);
    LocalHttpServer m_gateway;
    DesktopShell m_shell;
    std::vector<std::unique_ptr<TConfig>> m_slots;
};

TEST_F(DispatchEndToEnd, AMatchReachesTheProgramTheGatewayAndTheMailbox) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    NotifyDispatcher dispatcher(m_shell);
    dispatcher.Dispatch(Window(2));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));

    ASSERT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    EXPECT_EQ(testing::RecordedStarts(m_dir)[0].args,
              (std::vector<std::string>{"--window", "商店", "two words"}));
    auto requests = m_gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Param("to"), "+8613800138000");
    EXPECT_EQ(requests[0].Param("text"), "有货了");
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].rcpt, "watcher@example.com");
    EXPECT_EQ(mail.Messages()[0].subject, "Nuvaro提醒邮件");
    EXPECT_EQ(mail.Messages()[0].body, "有货了");

    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][2][+8613800138000] OK"));
    EXPECT_THAT(log[1], HasSubstr("[EMAIL][2][watcher@example.com] OK"));
}

TEST_F(DispatchEndToEnd, AMailServerThatNeverAnswersIsBoundedAndTheNextNoticeStillGoes) {
    SmtpTestServer silent(SmtpTestServer::Mode::Silent);
    MailServer(silent.Port(), 2);
    NotifyDispatcher dispatcher(m_shell);
    TConfig& slot = Window(7);
    slot.OtherOpen = slot.SmsOpen = "0";
    dispatcher.Dispatch(slot);
    dispatcher.SendSMSNotice("7");
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][7][watcher@example.com] FAILED: Timeout"));
    EXPECT_THAT(log[1], HasSubstr("[SMS][7][+8613800138000] OK"));
}

TEST_F(DispatchEndToEnd, AMissingPlugInIsAnErrorNamingItWhileTheMailStillLeaves) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    std::filesystem::remove(m_dir.File("smsdll.so"));
    NotifyDispatcher dispatcher(m_shell);
    try {
        dispatcher.Dispatch(Window(3));
        FAIL() << "no error";
    } catch (const PluginError& e) {
        EXPECT_THAT(std::string(e.what()), HasSubstr("无法加载插件：" + m_dir.File("smsdll.so")));
    }
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    EXPECT_TRUE(mail.WaitForMessages(1));
    EXPECT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
}

TEST_F(DispatchEndToEnd, TestSendsOfTheRecipientDialogArrive) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    NotifyDispatcher dispatcher(m_shell);
    dispatcher.SendSMSToTest(SmsTestRecord("a@example.com", G("测试"), "139", "+1"));
    dispatcher.SendEmailTest(EmailTestRecord("a@example.com", G("测试"), "139", "+1"));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_EQ(m_gateway.Requests().size(), 1u);
    EXPECT_EQ(m_gateway.Requests()[0].Param("to"), "+1139");
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].rcpt, "a@example.com");
    EXPECT_EQ(mail.Messages()[0].body, "测试");
}

}  // namespace
}  // namespace nuvaro
