// The Windows plug-ins under Wine against the local SMTP and HTTP servers of the Linux tests:
// mail and SMS really sent from the DLLs, each try in Log/sendlog.txt.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include "config/tconfig.h"
#include "core/gbk.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"
#include "wine/wine_run.h"

namespace nuvaro {
namespace {

using ::testing::ElementsAre;
using testing::G;
using ::testing::HasSubstr;

class WindowsPlugins : public ::testing::Test {
  protected:
    void SetUp() override {
        if (testing::WindowsBin().empty()) GTEST_SKIP() << "NUVARO_WINDOWS_BIN is not set";
        testing::CopyWindowsFiles(
            m_dir.path(), {"RegInfo.dll", "smsdll.dll", "emaildll.dll", "plugin_driver.exe"});
        TConfig slot(4, m_dir.File("Config.inf"));
        slot.WindowName = "商店";
        slot.ToMail = "watcher@example.com";
        slot.Subject = "价格提醒";
        slot.Body = slot.SmsBody = "到货了，快买！";
        slot.Mobile = "13800138000";
        slot.Contry = "+86";
        slot.SaveAndReload();
    }

    testing::WineRun Drive(const char* channel) {
        return testing::RunWine(m_dir.path(), "plugin_driver.exe", {channel, "4"});
    }

    testing::TempExeDir m_dir;
};

TEST_F(WindowsPlugins, TheMailDllSendsTheWindowsMailOverSmtp) {
    testing::SmtpTestServer server;
    m_dir.Write("email.inf",
                "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" + std::to_string(server.Port()) +
                    "\r\nUserName=sender@example.com\r\nPassword=\r\n");
    testing::WineRun run = Drive("mail");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ASSERT_TRUE(server.WaitForMessages(1)) << run.output;
    auto mail = server.Messages()[0];
    EXPECT_EQ(mail.subject, "价格提醒");
    EXPECT_EQ(mail.body, "到货了，快买！");
    EXPECT_EQ(mail.rcpt, "watcher@example.com");
    EXPECT_EQ(mail.mailFrom, "sender@example.com");
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u) << m_dir.Read("Log/sendlog.txt");
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][4][watcher@example.com][try 1] OK: 250"));
}

TEST_F(WindowsPlugins, TheSmsDllPostsToTheGatewayAndLogsItsReply) {
    testing::LocalHttpServer gateway;
    gateway.Post("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"status\":\"ok\"}", "application/json");
    });
    m_dir.Write("sms.inf", "[sms]\r\nGateway=" + gateway.Url("/send") +
                               "\r\nBody=to={number}&msg={text}\r\nSuccess=\"status\":\"ok\"\r\n");
    testing::WineRun run = Drive("sms");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(
        requests[0].body,
        "to=%2B8613800138000&msg=%E5%88%B0%E8%B4%A7%E4%BA%86%EF%BC%8C%E5%BF%AB%E4%B9%B0%EF%BC%81");
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][4][+8613800138000][try 1] OK: HTTP 200"));
}

TEST_F(WindowsPlugins, AServerThatIsNotThereIsAFailureInTheLog) {
    m_dir.Write("email.inf", "[email]\r\nSmtp=127.0.0.1\r\nSmtpPort=" +
                                 std::to_string(testing::FreeLoopbackPort()) +
                                 "\r\nUserName=sender@example.com\r\nConnectTimeout=5\r\n");
    testing::WineRun run = Drive("mail");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_THAT(run.output, HasSubstr("FAILED"));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][4][watcher@example.com][try 1] FAILED: "));
}

}  // namespace
}  // namespace nuvaro
