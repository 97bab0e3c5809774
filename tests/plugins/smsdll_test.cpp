#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "banners/test_endpoints.h"
#include "config/tconfig.h"
#include "core/gbk.h"
#include "notify/notice_facts.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"
#include "notify/plugin_loader.h"
#include "notify/sms_settings.h"
#include "support/flat_json.h"
#include "support/http_server.h"
#include "support/notify_helpers.h"
#include "support/recording_proxy.h"
#include "support/scoped_env.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;
using ::testing::HasSubstr;
using testing::LocalHttpServer;

class SmsPlugin : public ::testing::Test {
  protected:
    void SetUp() override { testing::InstallPlugins(m_dir); }

    void Gateway(const std::string& keys) {
        m_dir.Write("sms.inf",
                    "[sms]\r\nAccount=nuvaro01\r\nToken=s3cret&x\r\nTimeout=10\r\n" + keys);
    }

    void Send(const std::string& record) {
        std::string userId = PluginFunctionAs<ReadUserIdFn>(plugin::kRegInfo, "ReadUserId")();
        PluginFunctionAs<SendSmsFn>(plugin::kSmsDll, "SendSms")(userId.c_str(), record.c_str());
    }

    void SendSlot(int index) {
        Send(PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo,
                                                 "ReadWindowsInfo")(std::to_string(index).c_str()));
    }

    void Window(int index, const std::string& smsBody, const std::string& mobiles) {
        TConfig slot(index, m_dir.File("Config.inf"));
        slot.Regx = "缺货|到货";
        slot.SmsBody = slot.Body = smsBody;
        slot.Mobile = mobiles;
        slot.Contry = "+86";
        slot.SaveAll();
    }

    testing::TempExeDir m_dir;
};

TEST_F(SmsPlugin, GetSendsEachNumberWithItsCountryCodeTextAccountAndToken) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"code\":0}", "application/json");
    });
    Gateway("Gateway=" + gateway.Url("/send") +
            "?to={number}&text={text}&user={account}&key={token}\r\n");
    Window(3, "到货了|快买", "13800138000,13900139000");
    SendSlot(3);
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Param("to"), "+8613800138000");
    EXPECT_EQ(requests[1].Param("to"), "+8613900139000");
    EXPECT_EQ(requests[0].Param("text"), "到货了|快买");
    EXPECT_EQ(requests[0].Param("user"), "nuvaro01");
    EXPECT_EQ(requests[0].Param("key"), "s3cret&x");
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][3][+8613800138000] OK: HTTP 200 {\"code\":0}"));
    EXPECT_THAT(log[1], HasSubstr("[SMS][3][+8613900139000] OK"));
}

// The window's own save writes single keys and leaves the stored record as the whole-slot save
// wrote it; with "|" inside the condition, counting fields would pick the wrong number.
TEST_F(SmsPlugin, AfterTheWindowsOwnSaveTheNumberStillComesFromItsSlot) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/send") + "?to={number}&text={text}\r\n");
    Window(3, "到货了", "13800138000");
    WriteConfigKey("3", "SmsOpen", "1");
    SendSlot(3);
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Param("to"), "+8613800138000");
    EXPECT_EQ(requests[0].Param("text"), "到货了");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[SMS][3][+8613800138000] OK"));
}

TEST_F(SmsPlugin, PostFormBodyCarriesTheTestRecordsNumbersAndText) {
    LocalHttpServer gateway;
    gateway.Post("/api", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("accepted", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/api") +
            "\r\nMethod=POST\r\nBody=mobile={intl}&content={text}&sign={token}\r\n"
            "Header=X-Account: {account}\r\n");
    Send(testing::SmsTestBytes("a@b.c", G("测试短信"), "13800138000", "+86"));
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].Param("mobile"), "8613800138000");
    EXPECT_EQ(requests[0].Param("content"), "测试短信");
    EXPECT_EQ(requests[0].Param("sign"), "s3cret&x");
    EXPECT_EQ(requests[0].Header("X-Account"), "nuvaro01");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[SMS][test][+8613800138000] OK"));
}

TEST_F(SmsPlugin, GbkCharsetSendsGbkBytes) {
    LocalHttpServer gateway;
    gateway.Get("/g", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/g") + "?t={text}\r\nCharset=GBK\r\n");
    Send(testing::SmsTestBytes("", G("中文"), "1", "+86"));
    ASSERT_EQ(gateway.Requests().size(), 1u);
    EXPECT_EQ(gateway.Requests()[0].Param("t"), G("中文"));
}

// The gateway reads GBK and parses its JSON strictly: a found text whose characters end in
// the byte of a backslash, followed by a quote, must not close the string early.
TEST_F(SmsPlugin, AGbkJsonBodyKeepsEveryCharacterInsideItsString) {
    LocalHttpServer gateway;
    gateway.Post("/json", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"code\":0}", "application/json");
    });
    Gateway("Gateway=" + gateway.Url("/json") +
            "\r\nContentType=application/json; charset=GBK\r\nCharset=GBK\r\n"
            "Body={\"to\":\"{number}\",\"text\":\"{text}\",\"key\":\"{token}\"}\r\n");
    const std::string text = G("价格乗\"}乗") + "\\" + G("表") + "\x1b";  // 乗 81 5C, 表 B1 ED
    Send(testing::SmsTestBytes("", text, "13800138000", "+86"));
    ASSERT_EQ(gateway.Requests().size(), 1u);
    auto json = testing::ParseFlatJson(ToUtf8(GbkText::FromBytes(gateway.Requests()[0].body)));
    ASSERT_TRUE(json) << gateway.Requests()[0].body;
    EXPECT_EQ((*json)["text"], ToUtf8(GbkText::FromBytes(text)));
    EXPECT_EQ((*json)["to"], "+8613800138000");
    EXPECT_EQ((*json)["key"], "s3cret&x");
    EXPECT_THAT(testing::SendLogLines(m_dir)[0], HasSubstr("[SMS][test][+8613800138000] OK"));
}

TEST_F(SmsPlugin, AHeaderGetsNoControlCharacterRaw) {
    LocalHttpServer gateway;
    gateway.Get("/h", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/h") + "\r\nHeader=X-Note: {text}\r\n");
    Send(testing::SmsTestBytes("", "a\x1b[2Jb\x7f", "1", "+86"));
    ASSERT_EQ(gateway.Requests().size(), 1u);
    EXPECT_EQ(gateway.Requests()[0].Header("X-Note"), "a\\x1B[2Jb\\x7F");
}

// Whatever proxy the environment names, a gateway on this machine is reached directly.
class SmsWithProxy : public SmsPlugin, public ::testing::WithParamInterface<const char*> {};

TEST_P(SmsWithProxy, AGatewayOnThisMachineIsNeverReachedThroughIt) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    testing::RecordingProxy proxy(gateway.Port());
    testing::ScopedEnv env{
        {GetParam(), proxy.Url().c_str()}, {"no_proxy", nullptr}, {"NO_PROXY", nullptr}};
    Gateway("Gateway=http://localhost:" + std::to_string(gateway.Port()) + "/send?t={text}\r\n");
    Send(testing::SmsTestBytes("", "t", "1", "+86"));
    EXPECT_EQ(gateway.Requests().size(), 1u);
    EXPECT_EQ(proxy.Connections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Variables, SmsWithProxy,
                         ::testing::Values("http_proxy", "all_proxy", "ALL_PROXY"),
                         [](const auto& info) { return std::string(info.param); });

struct ReplyCase {
    const char* name;
    int status;
    std::string reply;
    std::string extraKeys;
    std::string logged;
};

class SmsReply : public SmsPlugin, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(SmsReply, DecidesOkOrFailedFromStatusAndMarker) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.status = GetParam().status;
        res.set_content(GetParam().reply, "text/plain; charset=utf-8");
    });
    Gateway("Gateway=" + gateway.Url("/send") + "?to={number}\r\n" + GetParam().extraKeys);
    Send(testing::SmsTestBytes("", "t", "138", "+86"));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][test][+86138] " + GetParam().logged));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, SmsReply,
    ::testing::Values(ReplyCase{"ServerError", 500, "余额不足", "", "FAILED: HTTP 500 余额不足"},
                      ReplyCase{"Unauthorized", 401, "bad token", "", "FAILED: HTTP 401 bad token"},
                      ReplyCase{"MarkerPresent", 200, "{\"result\":\"success\"}",
                                "Success=success\r\n", "OK"},
                      ReplyCase{"MarkerMissing", 200, "{\"result\":\"error\"}",
                                "Success=success\r\n", "FAILED: 网关回复中没有约定的成功标记"}),
    [](const auto& info) { return std::string(info.param.name); });

// One try of one number, as the dispatch makes it: the outcome says whether another try is
// worth it.
struct TryCase {
    const char* name;
    int status;
    std::string extraKeys;
    int outcome;
};

class SmsTry : public SmsPlugin, public ::testing::WithParamInterface<TryCase> {
  protected:
    int Try(const std::string& record, const std::string& notice, const std::string& number,
            std::string* reason = nullptr) {
        std::string userId = PluginFunctionAs<ReadUserIdFn>(plugin::kRegInfo, "ReadUserId")();
        char buffer[256] = {};
        int outcome = PluginFunctionAs<SendTryFn>(plugin::kSmsDll, "SendSmsTry")(
            userId.c_str(), record.c_str(), notice.c_str(), number.c_str(), 2, buffer,
            sizeof buffer);
        if (reason) *reason = buffer;
        return outcome;
    }
};

TEST_P(SmsTry, TellsAPassingRefusalFromOneThatStands) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.status = GetParam().status;
        res.set_content("reply", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/send") + "?to={number}\r\n" + GetParam().extraKeys);
    std::string reason;
    EXPECT_EQ(Try(testing::SmsTestBytes("", "t", "138", "+86"), "", "138", &reason),
              GetParam().outcome);
    EXPECT_THAT(reason, HasSubstr(std::to_string(GetParam().status)));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][test][+86138][try 2] "));
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, SmsTry,
    ::testing::Values(TryCase{"Accepted", 200, "", plugin::kTrySent},
                      TryCase{"ServerError", 500, "", plugin::kTryPassing},
                      TryCase{"Unavailable", 503, "", plugin::kTryPassing},
                      TryCase{"RequestTimeout", 408, "", plugin::kTryPassing},
                      TryCase{"TooManyRequests", 429, "", plugin::kTryPassing},
                      TryCase{"NotFound", 404, "", plugin::kTryPermanent},
                      TryCase{"Unauthorized", 401, "", plugin::kTryPermanent},
                      TryCase{"MarkerMissing", 200, "Success=success\r\n", plugin::kTryPermanent},
                      TryCase{"NotImplemented", 501, "", plugin::kTryPermanent},
                      TryCase{"DocumentedFinal", 500, "Final=500, 429\r\n", plugin::kTryPermanent},
                      TryCase{"DocumentedFinal429", 429, "Final=500 429\r\n",
                              plugin::kTryPermanent},
                      TryCase{"NotListedAsFinal", 503, "Final=500\r\n", plugin::kTryPassing}),
    [](const auto& info) { return std::string(info.param.name); });

// A number that holds a control character, however it got there, is never sent.
TEST_F(SmsTry, ANumberWithAControlCharacterIsRefusedWithoutARequest) {
    LocalHttpServer gateway;
    int requests = 0;
    gateway.Get("/send", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/send") + "?to={number}\r\n");
    for (const char* number : {"138\r\n139", "138\n", "138\x7f"}) {
        std::string reason;
        EXPECT_EQ(Try(testing::SmsTestBytes("", "t", "138", "+86"), "", number, &reason),
                  plugin::kTryPermanent);
        EXPECT_EQ(ToUtf8(GbkText::FromBytes(reason)), "收件人含有控制字符，不予发送：");
    }
    EXPECT_EQ(requests, 0);
}

TEST_F(SmsTry, NoGatewayNoNumberAndNoConnectionAreToldApart) {
    Gateway("");
    EXPECT_EQ(Try(testing::SmsTestBytes("", "t", "1", "+86"), "", "1"), plugin::kTryPermanent);
    Gateway("Gateway=http://127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()) + "/s\r\n");
    EXPECT_EQ(Try(testing::SmsTestBytes("", "t", "1", "+86"), "", ""), plugin::kTryPermanent);
    EXPECT_EQ(Try(testing::SmsTestBytes("", "t", "1", "+86"), "", "1"), plugin::kTryPassing);
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_THAT(log[0],
                HasSubstr("[SMS][test][+861][try 2] FAILED: 还没有设定短信网关：请在“系统设置”"
                          "菜单的“短信网关设置”中填写网关地址"));
    EXPECT_THAT(log[1], HasSubstr("[SMS][test][][try 2] FAILED: 没有手机号码"));
    EXPECT_THAT(log[2], HasSubstr("[SMS][test][+861][try 2] FAILED: "));
}

TEST_F(SmsTry, TheWindowsTextGetsTheFactsOfTheNotice) {
    LocalHttpServer gateway;
    gateway.Get("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/send") + "?to={number}&text={text}\r\n");
    Window(5, "{name}：{found}（{slot}）", "13800138000,13900139000");
    std::string record =
        PluginFunctionAs<ReadWindowsInfoFn>(plugin::kRegInfo, "ReadWindowsInfo")("5");
    std::string numbers =
        PluginFunctionAs<RecipientsFn>(plugin::kSmsDll, "SmsRecipients")(record.c_str());
    EXPECT_EQ(numbers, "13800138000\n13900139000\n");
    NoticeFacts facts{GT("到货|现货"), GT("显卡"), {}, "", "5", {}};
    EXPECT_EQ(Try(record, EncodeNoticeFacts(facts), "13900139000"), plugin::kTrySent);
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Param("to"), "+8613900139000");
    EXPECT_EQ(requests[0].Param("text"), "显卡：到货|现货（5）");
}

// The gateway dialog's test: settings not yet saved travel in the account text and stand in
// for sms.inf, which stays as it is.
TEST_F(SmsTry, UnsavedGatewaySettingsInTheAccountTextStandInForSmsInf) {
    LocalHttpServer gateway;
    gateway.Post("/v1/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{\"status\":\"ok\"}", "application/json");
    });
    Gateway("Gateway=http://127.0.0.1:" + std::to_string(testing::FreeLoopbackPort()) + "/s\r\n");
    SmsSettings unsaved;
    unsaved.gateway = gateway.Url("/v1/send");
    unsaved.body = "user={account}&to={number}&msg={text}";
    unsaved.account = "shop01";
    unsaved.success = "\"status\":\"ok\"";
    const std::string account = EncodeSmsSettingsAccount(unsaved);
    const std::string record = testing::SmsTestBytes("", G("测试"), "13800138000", "+86");
    char reason[256] = {};
    EXPECT_EQ(PluginFunctionAs<SendTryFn>(plugin::kSmsDll, "SendSmsTry")(
                  account.c_str(), record.c_str(), "", "13800138000", 1, reason, sizeof reason),
              plugin::kTrySent)
        << reason;
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body, "user=shop01&to=%2B8613800138000&msg=%E6%B5%8B%E8%AF%95");
}

TEST_F(SmsPlugin, AGatewayThatCannotBeReachedIsLoggedAsFailed) {
    int port;
    {
        LocalHttpServer closed;  // a port that was just free and is closed again
        port = closed.Port();
    }
    Gateway("Gateway=http://127.0.0.1:" + std::to_string(port) + "/send?to={number}\r\n");
    Send(testing::SmsTestBytes("", "t", "1", "+86"));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][test][+861] FAILED: "));
}

TEST_F(SmsPlugin, MissingGatewayOrNumbersAreLoggedNotSilentlyDropped) {
    Gateway("");
    Send(testing::SmsTestBytes("", "t", "1", "+86"));
    Send(testing::SmsTestBytes("", "t", "", "+86"));
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_THAT(log[0], HasSubstr("[SMS][test][+861] FAILED: 还没有设定短信网关"));
    EXPECT_THAT(log[1], HasSubstr("[SMS][test][] FAILED: 没有手机号码"));
}

// At exit the program cancels what is still being sent: a gateway that keeps the request
// waiting, and the numbers after it, are given up and logged.
TEST_F(SmsPlugin, CancellingEndsTheRunningSendAndEveryLaterOneAsFailed) {
    testing::Gate hold;
    LocalHttpServer gateway;
    gateway.Get("/slow", [&hold](const httplib::Request&, httplib::Response& res) {
        hold.Wait();
        res.set_content("ok", "text/plain");
    });
    Gateway("Gateway=" + gateway.Url("/slow") + "?to={number}\r\nTimeout=60\r\n");
    std::thread send(
        [&] { Send(testing::SmsTestBytes("", "t", "13800138000,13900139000", "+86")); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the first request is out
    PluginFunctionAs<CancelSendsFn>(plugin::kSmsDll, "CancelSends")();
    send.join();
    hold.Open();
    auto log = testing::SendLogLines(m_dir);
    ASSERT_EQ(log.size(), 2u);
    for (const auto& line : log) EXPECT_THAT(line, HasSubstr("FAILED: 程序正在退出，通知未发送"));
}

}  // namespace
}  // namespace nuvaro
