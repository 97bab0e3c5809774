// sms.inf as the SMS gateway dialog reads, checks and writes it.
#include "notify/sms_settings.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "notify/sms_request.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;

SmsSettings Usable() {
    SmsSettings s;
    s.gateway = "https://sms.example.com/v1/send";
    s.method = "POST";
    s.body = "user={account}&to={number}&msg={text}";
    return s;
}

TEST(SmsSettingsFile, WritesWhatTheGatewayReaderReadsAndKeepsTheRest) {
    IniDocument doc = IniDocument::Parse(
        "; my gateway\r\n[sms]\r\nGateway=http://old\r\nSuccess=ok\r\nTimeout=30\r\n"
        "[other]\r\nKey=1\r\n");
    SmsSettings s = ReadSmsSettings(doc);
    EXPECT_EQ(s.gateway, "http://old");
    EXPECT_EQ(s.timeout, "30");
    s = Usable();
    s.account = "帐号一";
    s.header = "Authorization: Bearer {token}";
    s.success.clear();  // a value the user emptied is written empty, not left behind
    WriteSmsSettings(doc, s);
    const std::string text = doc.Serialize();
    EXPECT_EQ(text.rfind("; my gateway\r\n[sms]\r\nGateway=https://sms.example.com/v1/send\r\n"
                         "Success=\r\nTimeout=\r\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("[other]\r\nKey=1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("CaFile"), std::string::npos);  // never set, not written
    SmsGateway gateway = ReadSmsGateway(IniDocument::Parse(text));
    EXPECT_EQ(gateway.url, s.gateway);
    EXPECT_EQ(gateway.method, "POST");
    EXPECT_EQ(gateway.body, s.body);
    EXPECT_EQ(gateway.header, s.header);
    EXPECT_EQ(gateway.identity.account, G("帐号一"));
    EXPECT_EQ(gateway.success, "");
}

struct CheckCase {
    const char* name;
    void (*change)(SmsSettings&);
    std::string problem;  // empty: usable
};

class CheckSmsSettingsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckSmsSettingsTest, RefusesWhatCouldNotSendAnSms) {
    SmsSettings s = Usable();
    GetParam().change(s);
    auto problems = CheckSmsSettings(s);
    if (GetParam().problem.empty()) {
        EXPECT_TRUE(problems.empty()) << problems.front();
    } else {
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems.front(), GetParam().problem);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, CheckSmsSettingsTest,
    ::testing::Values(
        CheckCase{"Usable", [](SmsSettings&) {}, ""},
        CheckCase{"GetWithQuery",
                  [](SmsSettings& s) {
                      s = {};
                      s.gateway = "http://gw/send?to={intl}&msg={text}";
                  },
                  ""},
        CheckCase{"NoGateway", [](SmsSettings& s) { s.gateway.clear(); }, "请填写网关地址"},
        CheckCase{"NotWeb", [](SmsSettings& s) { s.gateway = "ftp://gw/{number}"; },
                  "网关地址必须以 http:// 或 https:// 开头，且不能含空格"},
        CheckCase{"BadMethod", [](SmsSettings& s) { s.method = "PUT"; },
                  "请求方式只能是 GET 或 POST"},
        CheckCase{"BodyWithGet", [](SmsSettings& s) { s.method = "get"; },
                  "GET 请求不发送正文：请把请求方式改为 POST，或清空请求正文"},
        CheckCase{"BadHeader", [](SmsSettings& s) { s.header = "Bearer {token}"; },
                  "附加请求头应写成“名称: 值”，例如 Authorization: Bearer {token}"},
        CheckCase{"BadCharset", [](SmsSettings& s) { s.charset = "Big5"; },
                  "文字编码只能是 UTF-8 或 GBK"},
        CheckCase{"BadTimeout", [](SmsSettings& s) { s.timeout = "0"; },
                  "超时（秒）应为 1 到 600 之间的整数"},
        CheckCase{"BadConnectTimeout", [](SmsSettings& s) { s.connectTimeout = "abc"; },
                  "连接超时（秒）应为 1 到 600 之间的整数"},
        CheckCase{"NoNumber", [](SmsSettings& s) { s.body = "msg={text}"; },
                  "网关地址、请求正文和附加请求头中都没有手机号码占位符（{number}、{intl} 或 "
                  "{mobile}）"},
        CheckCase{"NoText", [](SmsSettings& s) { s.body = "to={mobile}"; },
                  "网关地址、请求正文和附加请求头中都没有通知正文占位符 {text}"},
        CheckCase{"MissingCaFile", [](SmsSettings& s) { s.caFile = "/nonexistent/ca.pem"; },
                  "找不到证书文件：/nonexistent/ca.pem"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SmsSettingsAccount, CarriesUnsavedSettingsWholeToThePlugIn) {
    SmsSettings s = Usable();
    s.body = "a=1|b={text}\r\n第二行";
    s.token = "k|%";
    auto doc = DecodeSmsSettingsAccount(EncodeSmsSettingsAccount(s));
    ASSERT_TRUE(doc);
    SmsSettings back = ReadSmsSettings(*doc);
    EXPECT_EQ(back.body, s.body);
    EXPECT_EQ(back.token, s.token);
    EXPECT_EQ(back.gateway, s.gateway);
    EXPECT_FALSE(DecodeSmsSettingsAccount(EncodeSmsIdentity({"a", "b"})));
}

}  // namespace
}  // namespace nuvaro
