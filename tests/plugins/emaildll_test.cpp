#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "config/tconfig.h"
#include "core/gbk.h"
#include "notify/account_text.h"
#include "notify/notice_facts.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"
#include "notify/plugin_loader.h"
#include "support/notify_helpers.h"
#include "support/recording_proxy.h"
#include "support/scoped_env.h"
#include "support/smtp_test_server.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using testing::SmtpTestServer;

class MailPlugin : public ::testing::Test {
  protected:
    void SetUp() override { testing::InstallPlugins(m_dir); }

    // email.inf through the record store, plus the optional keys of the mail plug-in.
    void Account(const std::string& smtp, int port, const std::string& user = "",
                 const std::string& password = "", const std::string& extra = "",
                 int timeout = 10) {
        PluginFunctionAs<SaveEmailFn>(plugin::kRegInfo, "SaveEmail")(
            smtp.c_str(), user.c_str(), password.c_str(), std::to_string(port).c_str(), "1");
        std::string seconds = std::to_string(timeout);
        m_dir.Write("email.inf", m_dir.Read("email.inf") + "Timeout=" + seconds +
                                     "\r\nConnectTimeout=" + seconds + "\r\n" + extra);
    }

    TConfig& Window(int index, const std::string& regx) {
        m_slot = std::make_unique<TConfig>(index, m_dir.File("Config.inf"));
        m_slot->Regx = regx;
        m_slot->ToMail = "watcher@example.com";
        m_slot->Subject = "价格提醒";
        m_slot->Body = m_slot->SmsBody = "到货了，快买！\r\n第二行";
        m_slot->WindowName = "商店";
        m_slot->SaveAll();
        return *m_slot;
    }

    // What the dispatch hands over: the account and the slot's record from the record store.
    void SendSlot(int index) {
        std::string record = PluginFunctionAs<ReadWindowsInfoFn>(
            plugin::kRegInfo, "ReadWindowsInfo")(std::to_string(index).c_str());
        Send(record);
    }
    void Send(const std::string& record) {
        std::string account = PluginFunctionAs<ReadEmailFn>(plugin::kRegInfo, "ReadEmail")();
        PluginFunctionAs<SendMailFn>(plugin::kEmailDll, "SendMail")(account.c_str(),
                                                                    record.c_str());
    }

    testing::TempExeDir m_dir;
    std::unique_ptr<TConfig> m_slot;
};

TEST_F(MailPlugin, DeliversAUtf8MailWithEncodedSubjectDateAndMessageId) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port(), "sender@example.com");
    Window(1, "price");
    SendSlot(1);
    ASSERT_TRUE(server.WaitForMessages(1));
    auto m = server.Messages()[0];
    EXPECT_EQ(m.subject, "价格提醒");
    EXPECT_EQ(m.body, "到货了，快买！\r\n第二行");
    EXPECT_EQ(m.rcpt, "watcher@example.com");
    EXPECT_EQ(m.to, "watcher@example.com");
    EXPECT_EQ(m.mailFrom, "sender@example.com");
    EXPECT_THAT(m.contentType, HasSubstr("charset=\"UTF-8\""));
    EXPECT_FALSE(m.date.empty());
    EXPECT_THAT(m.messageId, MatchesRegex("<.+@example\\.com>"));
    EXPECT_THAT(m.raw, HasSubstr("Subject: =?UTF-8?B?"));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], MatchesRegex(".* \\[EMAIL\\]\\[1\\]\\[watcher@example.com\\] OK: 250 .*"));
}

// Saved whole, and then by the window's own save, which writes single keys and leaves the stored
// record as it was: either way the fields are not counted out of a record with "|" inside them.
class MailAfterSave : public MailPlugin, public ::testing::WithParamInterface<const char*> {};

TEST_P(MailAfterSave, ABarInsideTheConditionDoesNotMisdirectTheMail) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    Window(12, "缺货|到货|(\\d+)元");
    if (*GetParam()) WriteConfigKey("12", GetParam(), "1");
    SendSlot(12);
    ASSERT_TRUE(server.WaitForMessages(1));
    auto m = server.Messages()[0];
    EXPECT_EQ(m.rcpt, "watcher@example.com");
    EXPECT_EQ(m.subject, "价格提醒");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[EMAIL][12][watcher@example.com] OK"));
}

INSTANTIATE_TEST_SUITE_P(Saves, MailAfterSave, ::testing::Values("", "SmsOpen", "EmailOpen"),
                         [](const auto& info) {
                             return *info.param ? std::string("Then") + info.param
                                                : std::string("WholeSlot");
                         });

TEST_F(MailPlugin, ATestRecordGetsTheUsualSubjectAndIsLoggedAsATest) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    Send(testing::EmailTestBytes("me@example.com", G("测试|正文"), "138", "+86"));
    ASSERT_TRUE(server.WaitForMessages(1));
    auto m = server.Messages()[0];
    EXPECT_EQ(m.subject, "Nuvaro提醒邮件");
    EXPECT_EQ(m.body, "测试|正文");
    EXPECT_EQ(m.rcpt, "me@example.com");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[EMAIL][test][me@example.com] OK"));
}

TEST_F(MailPlugin, LogsInWithAPasswordOfAnyCharacters) {
    SmtpTestServer server;
    const std::string password = "p|a%s=s;w\"d 密码";
    Account("127.0.0.1", server.Port(), "sender@example.com", G(password));
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages()[0].login, "sender@example.com");
    EXPECT_EQ(server.Messages()[0].password, password);
}

TEST_F(MailPlugin, SendsToEachAddressOfAListAndLogsEach) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    Send(testing::EmailTestBytes("a@example.com; b@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(2));
    EXPECT_EQ(server.Messages()[0].rcpt, "a@example.com");
    EXPECT_EQ(server.Messages()[1].rcpt, "b@example.com");
    EXPECT_EQ(testing::SendLogLines(m_dir).size(), 2u);
}

struct FailureCase {
    const char* name;
    SmtpTestServer::Mode mode;
    const char* detail;  // part of the logged error
};

class MailFailure : public MailPlugin, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(MailFailure, IsBoundedAndLoggedAsFailed) {
    SmtpTestServer server(GetParam().mode);
    Account("127.0.0.1", server.Port(), "", "", "", 2);
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com] FAILED: "));
    EXPECT_THAT(log[0], HasSubstr(GetParam().detail));
    EXPECT_TRUE(server.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Servers, MailFailure,
    ::testing::Values(
        FailureCase{"RejectsTheRecipient", SmtpTestServer::Mode::RejectRecipient, "550"},
        FailureCase{"ClosesAtOnce", SmtpTestServer::Mode::Close, ""},
        FailureCase{"NeverAnswers", SmtpTestServer::Mode::Silent, "imeout"},
        FailureCase{"OffersAnUntrustedCertificate", SmtpTestServer::Mode::StartTls, "SSL"}),
    [](const auto& info) { return std::string(info.param.name); });

// One try of one address, as the dispatch makes it.
class MailTry : public MailPlugin {
  protected:
    int Try(const std::string& record, const std::string& notice, const std::string& to,
            std::string* reason = nullptr) {
        std::string account = PluginFunctionAs<ReadEmailFn>(plugin::kRegInfo, "ReadEmail")();
        char buffer[512] = {};
        int outcome = PluginFunctionAs<SendTryFn>(plugin::kEmailDll, "SendMailTry")(
            account.c_str(), record.c_str(), notice.c_str(), to.c_str(), 3, buffer, sizeof buffer);
        if (reason) *reason = buffer;
        return outcome;
    }
};

struct MailTryCase {
    const char* name;
    SmtpTestServer::Mode mode;
    int outcome;
    const char* reason;
};

class MailTryOutcome : public MailTry, public ::testing::WithParamInterface<MailTryCase> {};

TEST_P(MailTryOutcome, TellsAPassingRefusalFromOneThatStands) {
    SmtpTestServer server(GetParam().mode);
    Account("127.0.0.1", server.Port(), "", "", "", 2);
    std::string reason;
    EXPECT_EQ(
        Try(testing::EmailTestBytes("me@example.com", "t", "", ""), "", "me@example.com", &reason),
        GetParam().outcome);
    EXPECT_THAT(reason, HasSubstr(GetParam().reason));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com][try 3] "));
}

INSTANTIATE_TEST_SUITE_P(
    Servers, MailTryOutcome,
    ::testing::Values(
        MailTryCase{"Accepts", SmtpTestServer::Mode::Accept, plugin::kTrySent, "250"},
        MailTryCase{"RejectsTheRecipient", SmtpTestServer::Mode::RejectRecipient,
                    plugin::kTryPermanent, "550"},
        MailTryCase{"BusyForNow", SmtpTestServer::Mode::TempFail, plugin::kTryPassing, "451"},
        MailTryCase{"ClosesAtOnce", SmtpTestServer::Mode::Close, plugin::kTryPassing, ""},
        MailTryCase{"NeverAnswers", SmtpTestServer::Mode::Silent, plugin::kTryPassing, "imeout"},
        MailTryCase{"OffersAnUntrustedCertificate", SmtpTestServer::Mode::StartTls,
                    plugin::kTryPermanent, "SSL"}),
    [](const auto& info) { return std::string(info.param.name); });

// An address with a line break would put a command of its own on the wire: it is refused
// before any connection, and the server sees nothing.
TEST_F(MailTry, AnAddressWithAControlCharacterNeverReachesTheServer) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    for (const char* to :
         {"me@example.com>\r\nRCPT TO:<evil@example.com", "me@example.com\n", "me@example.com\t"}) {
        std::string reason;
        EXPECT_EQ(Try(testing::EmailTestBytes(to, "t", "", ""), "", to, &reason),
                  plugin::kTryPermanent);
        EXPECT_EQ(ToUtf8(GbkText::FromBytes(reason)), "收件人含有控制字符，不予发送：");
    }
    EXPECT_EQ(Try(testing::EmailTestBytes("me@example.com", "t", "", ""), "", "me@example.com"),
              plugin::kTrySent);
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages().size(), 1u);
    EXPECT_EQ(server.Messages()[0].rcpt, "me@example.com");
}

TEST_F(MailTry, NoServerABadServerNoAddressAndNoConnectionAreToldApart) {
    Account("", 25);
    EXPECT_EQ(Try(testing::EmailTestBytes("me@example.com", "t", "", ""), "", "me@example.com"),
              plugin::kTryPermanent);
    Account("smtp.example.com/.localhost", 25);
    EXPECT_EQ(Try(testing::EmailTestBytes("me@example.com", "t", "", ""), "", "me@example.com"),
              plugin::kTryPermanent);
    Account("127.0.0.1", testing::FreeLoopbackPort());
    EXPECT_EQ(Try(testing::EmailTestBytes("", "t", "", ""), "", ""), plugin::kTryPermanent);
    EXPECT_EQ(Try(testing::EmailTestBytes("me@example.com", "t", "", ""), "", "me@example.com"),
              plugin::kTryPassing);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com][try 3] FAILED: email.inf"));
    EXPECT_THAT(log[1],
                HasSubstr("FAILED: email.inf 中的 SMTP 地址无效：smtp.example.com/.localhost"));
    EXPECT_THAT(log[2], HasSubstr("[EMAIL][test][][try 3] FAILED: 没有收件人地址"));
    EXPECT_THAT(log[3], HasSubstr("[EMAIL][test][me@example.com][try 3] FAILED: "));
}

TEST_F(MailTry, TheWindowsSubjectAndBodyGetTheFactsOfTheNotice) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    TConfig& slot = Window(6, "缺货|到货");
    slot.ToMail = "a@example.com;b@example.com";
    slot.Subject = "{name}有变化";
    slot.Body = "{found}\r\n{url} {slot}";
    slot.url = "http://shop/?q=1";
    slot.SaveAll();
    std::string record =
        PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo")("6");
    EXPECT_EQ(std::string(PluginFunctionAs<RecipientsFn>(plugin::kEmailDll,
                                                         "MailRecipients")(record.c_str())),
              "a@example.com\nb@example.com\n");
    NoticeFacts facts{GT("到货|b@example.com\r\nX"), GT("商店"), GT(slot.url), "", "6", {}};
    EXPECT_EQ(Try(record, EncodeNoticeFacts(facts), "b@example.com"), plugin::kTrySent);
    ASSERT_TRUE(server.WaitForMessages(1));
    auto m = server.Messages()[0];
    EXPECT_EQ(m.rcpt, "b@example.com");
    EXPECT_EQ(m.subject, "商店有变化");
    EXPECT_EQ(m.body, "到货|b@example.com\r\nX\r\nhttp://shop/?q=1 6");
}

// A subject may hold what a page put into {found}: no control character reaches the header raw.
TEST_F(MailTry, ControlCharactersNeverReachTheSubjectRaw) {
    SmtpTestServer server;
    Account("127.0.0.1", server.Port());
    TConfig& slot = Window(3, "x");
    slot.Subject = "价格 {found}";
    slot.SaveAll();
    std::string record =
        PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo")("3");
    NoticeFacts facts{GbkText::FromBytes("a\x1b[2J\x07"
                                         "b\r\nBcc: x@evil.example"),
                      GT("商店"),
                      {},
                      "",
                      "3"};
    EXPECT_EQ(Try(record, EncodeNoticeFacts(facts), "watcher@example.com"), plugin::kTrySent);
    ASSERT_TRUE(server.WaitForMessages(1));
    const std::string raw = server.Messages()[0].raw;
    const std::string headers = raw.substr(0, raw.find("\r\n\r\n"));
    EXPECT_EQ(headers.find_first_of("\x1b\x07"), std::string::npos);
    EXPECT_EQ(headers.find("\nBcc:"), std::string::npos);
    EXPECT_EQ(server.Messages()[0].subject, "价格 a\\x1B[2J\\x07b  Bcc: x@evil.example");
}

// A test name that shows the form: its letters and digits after its index.
std::string FormName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* c = info.param; *c; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    }
    return name;
}

// Each form hides a host that is not this machine's loopback behind text that ends in
// "localhost". 0.0.0.0 and [::] reach the local server but are not loopback names or addresses:
// they stand in for a server elsewhere. The server offers no STARTTLS, so a password could only
// go in the clear.
class TrickyServer : public MailPlugin, public ::testing::WithParamInterface<const char*> {};

TEST_P(TrickyServer, NeverGetsThePassword) {
    SmtpTestServer v4;
    SmtpTestServer v6(SmtpTestServer::Mode::Accept, 0, "::1");
    std::string form = GetParam();
    bool ipv6 = form.find("[::]") != std::string::npos;
    Account(form, ipv6 ? v6.Port() : v4.Port(), "sender@example.com", "secret");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com] FAILED: "));
    // Refused as written, or reached and left before any login for want of TLS.
    EXPECT_THAT(log[0], ::testing::AnyOf(HasSubstr("SMTP 地址无效"), HasSubstr("SSL")));
    EXPECT_TRUE(v4.Messages().empty());
    EXPECT_TRUE(v6.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, TrickyServer,
                         ::testing::Values("0.0.0.0", "0.0.0.0/.localhost", "0.0.0.0?.localhost",
                                           "0.0.0.0#.localhost", "smtp://0.0.0.0/.localhost",
                                           "SMTP://0.0.0.0/.LOCALHOST", "0.0.0.0/localhost.",
                                           "user@0.0.0.0", "0.0.0.0@localhost", "[::]",
                                           "[::]/.localhost"),
                         FormName);

// The loopback forms are this machine, and the connection goes nowhere else: the password may
// travel in the clear.
class LoopbackServer : public MailPlugin, public ::testing::WithParamInterface<const char*> {};

TEST_P(LoopbackServer, ReachesThisMachineWithThePassword) {
    std::string form = GetParam();
    bool ipv6 = form.find("::1") != std::string::npos;
    SmtpTestServer server(SmtpTestServer::Mode::Accept, 0, ipv6 ? "::1" : "127.0.0.1");
    Account(form, server.Port(), "sender@example.com", "secret");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages()[0].password, "secret");
}

INSTANTIATE_TEST_SUITE_P(Forms, LoopbackServer,
                         ::testing::Values("localhost", "LOCALHOST", "localhost.", "Mail.LocalHost",
                                           "smtp://127.0.0.1/", "[::1]", "::1"),
                         FormName);

// A proxy that the user's session names in the environment, under each name libcurl reads.
class MailWithProxy : public MailPlugin, public ::testing::WithParamInterface<const char*> {};

TEST_P(MailWithProxy, MailToThisMachineNeverGoesThroughIt) {
    SmtpTestServer server;
    testing::RecordingProxy proxy(server.Port());
    testing::ScopedEnv env{
        {GetParam(), proxy.Url().c_str()}, {"no_proxy", nullptr}, {"NO_PROXY", nullptr}};
    Account("localhost", server.Port(), "sender@example.com", "secret");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages()[0].password, "secret");
    EXPECT_EQ(proxy.Connections(), 0);
}

// The proxy tunnels to a server of the test that stands for a machine elsewhere and offers no
// STARTTLS: the mail is refused before any password is sent.
TEST_P(MailWithProxy, ToAnotherMachineThePasswordGoesOnlyOverTls) {
    SmtpTestServer server;
    testing::RecordingProxy proxy(server.Port());
    testing::ScopedEnv env{
        {GetParam(), proxy.Url().c_str()}, {"no_proxy", nullptr}, {"NO_PROXY", nullptr}};
    Account("mail.nuvaro.test", 25, "sender@example.com", "secret");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com] FAILED: "));
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_THAT(proxy.Requests()[0], HasSubstr("CONNECT mail.nuvaro.test:25"));
    EXPECT_THAT(proxy.ClientBytes(), HasSubstr("EHLO"));
    EXPECT_THAT(proxy.ClientBytes(), ::testing::Not(HasSubstr("AUTH")));
    EXPECT_TRUE(server.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Variables, MailWithProxy,
                         ::testing::Values("all_proxy", "ALL_PROXY", "smtp_proxy"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(MailPlugin, UsesStartTlsWhenOfferedAndVerifiesTheCertificate) {
    SmtpTestServer server(SmtpTestServer::Mode::StartTls);
    Account("127.0.0.1", server.Port(), "sender@example.com", "secret",
            "CaFile=" + server.CertFile() + "\r\n");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_TRUE(server.Messages()[0].tls);
    EXPECT_EQ(server.Messages()[0].password, "secret");
}

// 0.0.0.0 reaches the local server, but is not one of this machine's loopback names: it stands
// in for a server elsewhere.
TEST_F(MailPlugin, APasswordNeverGoesInTheClearToAnotherHost) {
    SmtpTestServer server;  // offers no STARTTLS
    Account("0.0.0.0", server.Port(), "sender@example.com", "secret");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][me@example.com] FAILED: "));
    EXPECT_TRUE(server.Messages().empty());

    // Without an account name nothing secret is sent, and the mail goes in the clear.
    Account("0.0.0.0", server.Port());
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Messages()[0].password, "");
}

TEST_F(MailPlugin, SpeaksTlsFromTheFirstByteToAnSmtpsServer) {
    SmtpTestServer server(SmtpTestServer::Mode::ImplicitTls);
    Account("smtps://127.0.0.1", server.Port(), "", "", "CaFile=" + server.CertFile() + "\r\n");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_TRUE(server.Messages()[0].tls);
}

// The account's own security key: SSL speaks TLS at once on a port that is not 465; STARTTLS
// must upgrade, even on this machine, where without the key a server without it is used plain.
TEST_F(MailPlugin, TheSecurityKeyDecidesOverThePort) {
    SmtpTestServer tls(SmtpTestServer::Mode::ImplicitTls);
    m_dir.Write("email.inf", "");
    Account("127.0.0.1", tls.Port(), "", "", "CaFile=" + tls.CertFile() + "\r\nSecurity=SSL\r\n");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(tls.WaitForMessages(1));
    EXPECT_TRUE(tls.Messages()[0].tls);

    SmtpTestServer upgrading(SmtpTestServer::Mode::StartTls);
    m_dir.Write("email.inf", "");
    Account("127.0.0.1", upgrading.Port(), "", "",
            "CaFile=" + upgrading.CertFile() + "\r\nSecurity=STARTTLS\r\n");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    ASSERT_TRUE(upgrading.WaitForMessages(1));
    EXPECT_TRUE(upgrading.Messages()[0].tls);

    SmtpTestServer plain;  // offers no STARTTLS
    m_dir.Write("email.inf", "");
    Account("127.0.0.1", plain.Port(), "", "", "Security=STARTTLS\r\n");
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    m_dir.Write("email.inf", "");
    Account("127.0.0.1", plain.Port(), "", "", "");
    Send(testing::EmailTestBytes("you@example.com", "t", "", ""));
    ASSERT_TRUE(plain.WaitForMessages(1));
    EXPECT_EQ(plain.Messages().size(), 1u);
    EXPECT_EQ(plain.Messages()[0].rcpt, "you@example.com");
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_THAT(log[2], HasSubstr("[EMAIL][test][me@example.com] FAILED: "));
    EXPECT_THAT(log[3], HasSubstr("[EMAIL][test][you@example.com] OK: "));
}

// The sender dialog's test hands over the account as it shows it, security included.
TEST_F(MailPlugin, AnAccountTextWithItsSecurityStandsInForEmailInf) {
    SmtpTestServer tls(SmtpTestServer::Mode::ImplicitTls);
    Account("127.0.0.1", 1, "", "", "CaFile=" + tls.CertFile() + "\r\n");
    const std::string account =
        EncodeMailAccount({"127.0.0.1", std::to_string(tls.Port()), "me@example.com", "", "SSL"});
    const std::string record = testing::EmailTestBytes("me@example.com", "t", "", "");
    PluginFunctionAs<SendMailFn>(plugin::kEmailDll, "SendMail")(account.c_str(), record.c_str());
    ASSERT_TRUE(tls.WaitForMessages(1));
    EXPECT_TRUE(tls.Messages()[0].tls);
    EXPECT_EQ(tls.Messages()[0].mailFrom, "me@example.com");
}

TEST_F(MailPlugin, AServerWrittenWithItsPortAndAddressesSeparatedTheChineseWayAreServed) {
    SmtpTestServer server;
    PluginFunctionAs<SaveEmailFn>(plugin::kRegInfo, "SaveEmail")(
        ("127.0.0.1:" + std::to_string(server.Port())).c_str(), "sender@example.com", "", "", "1");
    m_dir.Write("email.inf", m_dir.Read("email.inf") + "Timeout=10\r\nConnectTimeout=10\r\n");
    Send(testing::EmailTestBytes(G("a@example.com，b@example.com；c@example.com"), "t", "", ""));
    ASSERT_TRUE(server.WaitForMessages(3));
    std::vector<std::string> rcpts;
    for (const auto& m : server.Messages()) rcpts.push_back(m.rcpt);
    std::sort(rcpts.begin(), rcpts.end());
    EXPECT_EQ(rcpts, (std::vector<std::string>{"a@example.com", "b@example.com", "c@example.com"}));
}

TEST_F(MailPlugin, NoAddressOrNoServerIsLoggedNotSilentlyDropped) {
    Account("", 25);
    Send(testing::EmailTestBytes("", "t", "", ""));
    Send(testing::EmailTestBytes("me@example.com", "t", "", ""));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("[EMAIL][test][] FAILED: 没有收件人地址"));
    EXPECT_THAT(log[1], HasSubstr("[EMAIL][test][me@example.com] FAILED: email.inf"));
}

TEST_F(MailPlugin, NullArgumentsAreHarmless) {
    auto send = PluginFunctionAs<SendMailFn>(plugin::kEmailDll, "SendMail");
    EXPECT_EQ(send(nullptr, nullptr), 0);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("FAILED"));
}

}  // namespace
}  // namespace nuvaro
