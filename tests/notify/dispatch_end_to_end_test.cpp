// The dispatch over the real plug-ins, the real desktop shell, SMTP servers and an HTTP SMS
// gateway on 127.0.0.1, and a local program that records its arguments.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>

#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/text_cut.h"
#include "notify/dispatch_fixture.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"
#include "notify/send_log.h"
#include "notify/sms_request.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;

TEST_F(DispatchEndToEnd, AChangeReachesProgramGatewayAndMailboxWithThePlaceholdersFilled) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    TConfig& slot = Window(2);
    slot.Subject = "{name}：发现变化";
    slot.Body = "{name} 第{slot}号 {url}\r\n发现：{found}\r\n时间：{time}";
    slot.SmsBody = "{name}发现{found}";
    slot.OtherStr = "--found {found} \"--at={name} {slot}\" {url}";
    slot.SaveAll();
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(slot, GT("价格 128元"));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));

    ASSERT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    EXPECT_EQ(testing::RecordedStarts(m_dir)[0].args,
              (Lines{"--found", "价格 128元", "--at=显卡 2", "http://shop.example/item?id=7"}));
    auto requests = m_gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Param("to"), "+8613800138000");
    EXPECT_EQ(requests[0].Param("text"), "显卡发现价格 128元");
    ASSERT_TRUE(mail.WaitForMessages(1));
    auto m = mail.Messages()[0];
    EXPECT_EQ(m.rcpt, "watcher@example.com");
    EXPECT_EQ(m.subject, "显卡：发现变化");
    EXPECT_THAT(m.body,
                ::testing::MatchesRegex("显卡 第2号 http://shop.example/item\\?id=7\r\n"
                                        "发现：价格 128元\r\n时间：[0-9]+-[0-9]+-[0-9]+.*"));

    Lines log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(LogWith("[PROGRAM][2][" + m_recorder + "][try 1] OK").size(), 1u);
    EXPECT_EQ(LogWith("[SMS][2][+8613800138000][try 1] OK").size(), 1u);
    EXPECT_EQ(LogWith("[EMAIL][2][watcher@example.com][try 1] OK").size(), 1u);
    EXPECT_TRUE(Failed().empty());
}

TEST_F(DispatchEndToEnd, TextsWithoutPlaceholdersGoExactlyAsTheyStand) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(Window(3), GT("whatever {name}"));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].subject, "Nuvaro提醒邮件");
    EXPECT_EQ(mail.Messages()[0].body, "有货了");
    EXPECT_EQ(m_gateway.Requests()[0].Param("text"), "有货了");
    ASSERT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    EXPECT_EQ(testing::RecordedStarts(m_dir)[0].args, (Lines{"--window", "商店", "two words"}));
}

// The gateway takes the connection and never answers; its time-out is a minute.
TEST_F(DispatchEndToEnd, AGatewayThatNeverAnswersDoesNotDelayTheMail) {
    SmtpTestServer silentGateway(SmtpTestServer::Mode::Silent);
    Gateway("http://127.0.0.1:" + std::to_string(silentGateway.Port()) + "/sms", 60);
    SmtpTestServer mail;
    MailServer(mail.Port());
    NotifyDispatcher& dispatcher = Dispatcher();
    for (int index : {4, 5, 6}) dispatcher.Dispatch(Window(index));
    ASSERT_TRUE(mail.WaitForMessages(3));
    EXPECT_TRUE(LogWith("[SMS]").empty());  // every SMS is still waiting for the gateway
    EXPECT_FALSE(dispatcher.Shutdown(0ms));
    EXPECT_EQ(LogWith("[SMS]").size(), 3u);
    for (const auto& line : LogWith("[SMS]")) EXPECT_THAT(line, HasSubstr("FAILED"));
}

TEST_F(DispatchEndToEnd, AMailServerDownAtTheChangeGetsTheMailThroughARetry) {
    const int port = testing::FreeLoopbackPort();
    MailServer(port);
    TConfig& slot = Window(7);
    slot.OtherOpen = slot.SmsOpen = "0";
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(slot, GT("到货"));
    ASSERT_TRUE(testing::WaitFor([&] { return LogWith("[try 1] FAILED").size() == 1; }));
    SmtpTestServer mail(SmtpTestServer::Mode::Accept, port);
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].rcpt, "watcher@example.com");
    Lines log = testing::SendLogLines(m_dir);
    ASSERT_GE(log.size(), 2u);
    EXPECT_THAT(log.back(), HasSubstr("[EMAIL][7][watcher@example.com]"));
    EXPECT_THAT(log.back(), HasSubstr("] OK: 250"));
    EXPECT_TRUE(Failed().empty());
}

// A gateway's error page: the failure line says status and title; the send log has it whole.
TEST_F(DispatchEndToEnd, AFailureLineShowsTheAnswerAsOneReadableLine) {
    m_gateway.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content(
            "<!DOCTYPE HTML>\n<html lang=\"en\"><head><title>404 Not Found</title>"
            "</head>\n<body><h1>Not Found</h1><p>Nothing\tat\x01 this URL.</p>"
            "</body></html>",
            "text/html");
    });
    Gateway(m_gateway.Url("/missing"));
    TConfig& slot = Window(9);
    slot.OtherOpen = slot.EmailOpen = "0";
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(slot);
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    auto failed = Failed();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].reason, "HTTP 404 404 Not Found");
    const std::string errors = ToUtf8(GbkText::FromBytes(m_dir.Read("Log/errorlog.txt")));
    EXPECT_THAT(errors, HasSubstr("通知发送失败：SMS 13800138000：HTTP 404 404 Not Found\r\n"));
    EXPECT_THAT(errors, ::testing::Not(HasSubstr("DOCTYPE")));
    Lines log = LogWith("[SMS][9]");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("FAILED: HTTP 404 <!DOCTYPE HTML>\\n<html"));
    EXPECT_THAT(log[0], HasSubstr("Nothing\\tat\\x01 this URL."));
}

struct RefusalCase {
    const char* name;
    SmtpTestServer::Mode mode;
    size_t tries;
    const char* reason;
};

class MailRefusal : public DispatchEndToEnd, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(MailRefusal, IsTriedAsOftenAsItDeservesEachTryLoggedAndTheFailureReportedOnce) {
    SmtpTestServer server(GetParam().mode);
    MailServer(server.Port());
    TConfig& slot = Window(8);
    slot.OtherOpen = slot.SmsOpen = "0";
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(slot);
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    Lines log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), GetParam().tries);
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_THAT(log[i], HasSubstr("[EMAIL][8][watcher@example.com][try " +
                                      std::to_string(i + 1) + "] FAILED"));
    }
    auto failed = Failed();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].channel, "EMAIL");
    EXPECT_EQ(failed[0].windowName, "显卡");
    EXPECT_THAT(failed[0].reason, HasSubstr(GetParam().reason));
    EXPECT_TRUE(server.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, MailRefusal,
                         ::testing::Values(RefusalCase{"PermanentIsNotRetried",
                                                       SmtpTestServer::Mode::RejectRecipient, 1,
                                                       "550"},
                                           RefusalCase{"PassingIsRetriedThreeTimes",
                                                       SmtpTestServer::Mode::TempFail, 4, "451"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A "|" in the condition and in the found text, line breaks and a long found text: the record
// stays as the window saved it, and the found text travels beside it, cut to its bound.
TEST_F(DispatchEndToEnd, AFoundTextWithBarsAndLineBreaksReachesTheRightRecipientsWhole) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    TConfig& slot = Window(12);
    slot.Regx = "(缺货|到货)|(\\d+)元";
    slot.ToMail = "a@example.com, b@example.com";
    slot.Mobile = "13800138000,13900139000";
    slot.Body = slot.SmsBody = "发现：{found}";
    slot.OtherOpen = "0";
    slot.SaveAll();
    m_gateway.Post("/sms", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    m_dir.Write("sms.inf", "[sms]\r\nGateway=" + m_gateway.Url("/sms") +
                               "\r\nBody=to={number}&text={text}\r\nTimeout=10\r\n");
    const std::string found =
        G("到货|现货|a@evil.example\r\n第二行|13700137000|") + std::string(10000, 'x');
    NotifyDispatcher& dispatcher = Dispatcher();
    dispatcher.Dispatch(slot, GbkText::FromBytes(found));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));

    ASSERT_TRUE(mail.WaitForMessages(2));
    Lines rcpts;
    for (const auto& m : mail.Messages()) {
        rcpts.push_back(m.rcpt);
        EXPECT_TRUE(m.body == "发现：" + ToUtf8(GbkText::FromBytes(
                                             CutText(GbkText::FromBytes(found)).bytes())))
            << m.body.substr(0, 100);
    }
    EXPECT_THAT(rcpts, ::testing::UnorderedElementsAre("a@example.com", "b@example.com"));
    Lines bodies;
    for (const auto& r : m_gateway.Requests()) bodies.push_back(r.body);
    const std::string text =
        "&text=" + UrlEncode("发现：" + ToUtf8(GbkText::FromBytes(
                                            CutText(GbkText::FromBytes(found)).bytes())));
    EXPECT_TRUE(
        bodies.size() == 2 &&
        ((bodies[0] == "to=%2B8613800138000" + text && bodies[1] == "to=%2B8613900139000" + text) ||
         (bodies[1] == "to=%2B8613800138000" + text && bodies[0] == "to=%2B8613900139000" + text)));
    EXPECT_EQ(ToGbk(IniFile(m_dir.File("Config.inf")).ReadString("12", "all")),
              slot.WindowRecord());
}

// The missing plug-in fails its channel alone, once for the notice, named in the logs and
// told on the desktop; the mail and the program go out all the same.
TEST_F(DispatchEndToEnd, AMissingPlugInFailsItsChannelAloneNamingItWhileTheMailStillLeaves) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    std::filesystem::remove(m_dir.File(plugin::kSmsDll));
    NotifyDispatcher& dispatcher = Dispatcher();
    EXPECT_NO_THROW(dispatcher.Dispatch(Window(3)));
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    EXPECT_TRUE(mail.WaitForMessages(1));
    EXPECT_TRUE(testing::WaitFor([&] { return testing::RecordedStarts(m_dir).size() == 1; }));
    ASSERT_EQ(Failed().size(), 1u);
    EXPECT_EQ(Failed()[0].channel, kSmsChannel);
    EXPECT_THAT(Failed()[0].reason, HasSubstr("无法加载插件：" + m_dir.File(plugin::kSmsDll)));
    EXPECT_EQ(LogWith("[SMS][3][]").size(), 1u);
    EXPECT_THAT(ToUtf8(GbkText::FromBytes(m_dir.Read("Log/errorlog.txt"))),
                HasSubstr("[3][显卡]通知发送失败：SMS：无法加载插件："));
}

TEST_F(DispatchEndToEnd, TestSendsOfTheRecipientDialogArriveWithTheDialogsValues) {
    SmtpTestServer mail;
    MailServer(mail.Port());
    NotifyDispatcher& dispatcher = Dispatcher();
    NoticeFacts facts{{}, GT("显卡"), GT("http://x/"), "2026-1-2 3:04:05", "4", {}};
    dispatcher.SendSMSToTest(
        SmsTestRecord(GT("a@example.com"), GT("测试{name}[{found}]"), GT("139"), GT("+1")), facts);
    dispatcher.SendEmailTest(
        EmailTestRecord(GT("a@example.com"), GT("测试{slot}"), GT("139"), GT("+1")), facts);
    ASSERT_TRUE(dispatcher.WaitUntilIdle(60s));
    ASSERT_EQ(m_gateway.Requests().size(), 1u);
    EXPECT_EQ(m_gateway.Requests()[0].Param("to"), "+1139");
    EXPECT_EQ(m_gateway.Requests()[0].Param("text"), "测试显卡[]");
    ASSERT_TRUE(mail.WaitForMessages(1));
    EXPECT_EQ(mail.Messages()[0].rcpt, "a@example.com");
    EXPECT_EQ(mail.Messages()[0].body, "测试4");
    EXPECT_EQ(LogWith("[test]").size(), 2u);
}

}  // namespace
}  // namespace nuvaro
