// Push channels: push.inf, the request of each kind, the reading of each kind's answer.

#include "notify/push_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/gbk.h"
#include "notify/json_value.h"
#include "notify/push_settings.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;
using namespace std::chrono;

const system_clock::time_point kAt{milliseconds(1765375200000)};

JsonValue Parsed(const std::string& text) {
    auto json = JsonValue::Parse(text);
    EXPECT_TRUE(json) << text;
    return json.value_or(JsonValue());
}

std::string At(const JsonValue& json, std::initializer_list<const char*> path) {
    const JsonValue* v = &json;
    for (const char* key : path) {
        v = v->Find(key);
        if (!v) return "<missing " + std::string(key) + ">";
    }
    return v->AsText();
}

TEST(PushInf, ReadsSectionsInOrderAndWritesThemBackRenumbered) {
    IniDocument doc = IniDocument::Parse(
        ToGbk("[push1]\r\nKind=dingtalk\r\nUrl=https://oapi.dingtalk.com/robot/send?access_token=t"
              "\r\nSecret=SEC1\r\nTitle=价格\r\n[other]\r\nKind=x\r\n[push7]\r\nKind=ntfy\r\n"
              "Url=https://ntfy.sh/mine\r\nEnabled=0\r\n")
            .bytes());
    auto channels = ReadPushChannels(doc);
    ASSERT_EQ(channels.size(), 2u);
    EXPECT_EQ(channels[0].title, "价格");
    EXPECT_TRUE(channels[0].enabled);
    EXPECT_FALSE(channels[1].enabled);
    EXPECT_EQ(PushChannelLabel(channels[0]), "dingtalk oapi.dingtalk.com");
    const std::string text = WritePushChannels(channels);
    EXPECT_EQ(channels[1].section, "push2");
    EXPECT_THAT(text,
                HasSubstr("[push2]\r\nKind=ntfy\r\nUrl=https://ntfy.sh/mine\r\nEnabled=0\r\n"));
    EXPECT_THAT(text, HasSubstr(ToGbk("Title=价格\r\n").bytes()));
}

struct BadChannel {
    const char* name;
    PushChannel channel;
    const char* says;
};

class PushInfChecks : public ::testing::TestWithParam<BadChannel> {};

TEST_P(PushInfChecks, NameTheSectionAndWhatIsWrong) {
    const std::string why = CheckPushChannel(GetParam().channel);
    EXPECT_THAT(why, HasSubstr("[push3]"));
    EXPECT_THAT(why, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Channels, PushInfChecks,
    ::testing::Values(
        BadChannel{"UnknownKind", {"push3", "telegram", "https://x.example/"}, "Kind=telegram"},
        BadChannel{"EmptyUrl", {"push3", "wecom", ""}, "Url"},
        BadChannel{"NotHttp", {"push3", "bark", "ftp://x.example/k"}, "http://"},
        BadChannel{"NoHost", {"push3", "bark", "https:///k"}, "http://"},
        BadChannel{"BlankInUrl", {"push3", "bark", "https://x.example/a b"}, "http://"},
        BadChannel{"SecretWithLineBreak",
                   {"push3", "dingtalk", "https://x.example/", "SEC\r\n1"},
                   "Secret"},
        BadChannel{"SecretNotAscii", {"push3", "dingtalk", "https://x.example/", "密钥"}, "Secret"},
        BadChannel{"NtfyWithoutTopic", {"push3", "ntfy", "https://ntfy.sh/"}, "主题"},
        BadChannel{"TokenMissing", {"push3", "pushplus", "https://x.example/send"}, "Secret"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PushChannels, AGoodChannelPassesWhateverTheCaseOfItsKind) {
    EXPECT_EQ(CheckPushChannel({"push1", "WeCom", "https://qyapi.weixin.qq.com/x?key=k"}), "");
    EXPECT_EQ(CheckPushChannel({"push1", "gotify", "http://127.0.0.1:1", "AbC.-_"}), "");
}

TEST(PushSigns, AreTheBase64OfTheServicesHmac) {
    EXPECT_EQ(DingtalkSign("SEC1234567890abcdef", 1765375200000),
              "JD8N3XgRwpuhPl%2FKWYaTHRue21FtA6l3o1g7HbTHpfo%3D");
    EXPECT_EQ(FeishuSign("SEC1234567890abcdef", 1765375200),
              "OWLD7LvFwuamVuYKHX8HPk0rqSxwA5DySkBU/BqYRKA=");
}

const PushMessage kMessage{
    "显卡：发现变化", "价格 \"128\"\n元",  "显卡", "http://shop.example/7", "128", "99",
    "change",         "2026-12-10 9:00:00"};

TEST(PushRequests, RobotsGetTheirTextMessageSignedWhereTheyHaveASecret) {
    PushChannel ding{"push1", "dingtalk", "https://oapi.dingtalk.com/robot/send?access_token=t",
                     "SEC1234567890abcdef"};
    PushRequest r = BuildPushRequest(ding, kMessage, kAt);
    EXPECT_EQ(r.url, ding.url + "&timestamp=1765375200000&sign=" +
                         DingtalkSign(ding.secret, 1765375200000));
    JsonValue body = Parsed(r.body);
    EXPECT_EQ(At(body, {"msgtype"}), "text");
    EXPECT_EQ(At(body, {"text", "content"}), "显卡：发现变化\n价格 \"128\"\n元");
    EXPECT_THAT(r.headers, ::testing::Contains("Content-Type: application/json; charset=utf-8"));

    PushChannel feishu{"push2", "feishu", "https://open.feishu.cn/open-apis/bot/v2/hook/h",
                       "SEC1234567890abcdef"};
    body = Parsed(BuildPushRequest(feishu, kMessage, kAt).body);
    EXPECT_EQ(At(body, {"msg_type"}), "text");
    EXPECT_EQ(At(body, {"content", "text"}), "显卡：发现变化\n价格 \"128\"\n元");
    EXPECT_EQ(body.Find("timestamp")->type(), JsonValue::Type::String);
    EXPECT_EQ(At(body, {"timestamp"}), "1765375200");
    EXPECT_EQ(At(body, {"sign"}), FeishuSign(feishu.secret, 1765375200));

    PushChannel wecom{"push3", "wecom", "https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=k"};
    r = BuildPushRequest(wecom, kMessage, kAt);
    EXPECT_EQ(r.url, wecom.url);
    EXPECT_EQ(At(Parsed(r.body), {"text", "content"}), "显卡：发现变化\n价格 \"128\"\n元");
}

TEST(PushRequests, ServicesGetTheFieldsTheyDocument) {
    JsonValue plus =
        Parsed(BuildPushRequest({"p", "pushplus", "https://x/send", "tok"}, kMessage, kAt).body);
    EXPECT_EQ(At(plus, {"token"}), "tok");
    EXPECT_EQ(At(plus, {"title"}), kMessage.title);
    EXPECT_EQ(At(plus, {"content"}), kMessage.body);
    JsonValue chan =
        Parsed(BuildPushRequest({"p", "serverchan", "https://x/K.send"}, kMessage, kAt).body);
    EXPECT_EQ(At(chan, {"desp"}), kMessage.body);
    JsonValue bark = Parsed(BuildPushRequest({"p", "bark", "https://x/key"}, kMessage, kAt).body);
    EXPECT_EQ(At(bark, {"body"}), kMessage.body);

    PushRequest ntfy =
        BuildPushRequest({"p", "ntfy", "https://ntfy.example/base/alerts/"}, kMessage, kAt);
    EXPECT_EQ(ntfy.url, "https://ntfy.example/base/");
    EXPECT_EQ(At(Parsed(ntfy.body), {"topic"}), "alerts");
    EXPECT_EQ(At(Parsed(ntfy.body), {"title"}), kMessage.title);

    PushRequest gotify =
        BuildPushRequest({"p", "gotify", "https://g.example/", "AppTok"}, kMessage, kAt);
    EXPECT_EQ(gotify.url, "https://g.example/message");
    EXPECT_THAT(gotify.headers, ::testing::Contains("X-Gotify-Key: AppTok"));
    EXPECT_EQ(At(Parsed(gotify.body), {"priority"}), "5");

    JsonValue hook =
        Parsed(BuildPushRequest({"p", "webhook", "https://h.example/in"}, kMessage, kAt).body);
    EXPECT_EQ(At(hook, {"window"}), "显卡");
    EXPECT_EQ(At(hook, {"found"}), "128");
    EXPECT_EQ(At(hook, {"previous"}), "99");
    EXPECT_EQ(At(hook, {"kind"}), "change");
}

struct AnswerCase {
    const char* name;
    PushKind kind;
    long status;
    std::string answer;
    TryOutcome outcome;
    const char* says;
};

class PushAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(PushAnswers, AreReadAsTheServiceMeansThem) {
    PushResult r = ReadPushAnswer(GetParam().kind, GetParam().status, GetParam().answer);
    EXPECT_EQ(r.outcome, GetParam().outcome) << r.reason;
    EXPECT_THAT(r.reason, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PushAnswers,
    ::testing::Values(
        AnswerCase{"WecomOk", PushKind::Wecom, 200, R"({"errcode":0,"errmsg":"ok"})",
                   TryOutcome::Sent, "HTTP 200"},
        AnswerCase{"WecomBadKey", PushKind::Wecom, 200,
                   R"({"errcode":93000,"errmsg":"invalid webhook url"})", TryOutcome::Permanent,
                   "93000: invalid webhook url"},
        AnswerCase{"WecomTooFast", PushKind::Wecom, 200, R"({"errcode":45009,"errmsg":"freq"})",
                   TryOutcome::Passing, "45009"},
        AnswerCase{"DingtalkSign", PushKind::Dingtalk, 200,
                   R"({"errcode":310000,"errmsg":"sign not match"})", TryOutcome::Permanent,
                   "sign not match"},
        AnswerCase{"FeishuOk", PushKind::Feishu, 200, R"({"code":0,"msg":"success","data":{}})",
                   TryOutcome::Sent, ""},
        AnswerCase{"FeishuOldOk", PushKind::Feishu, 200,
                   R"({"StatusCode":0,"StatusMessage":"success"})", TryOutcome::Sent, ""},
        AnswerCase{"FeishuSign", PushKind::Feishu, 200, R"({"code":19021,"msg":"sign match fail"})",
                   TryOutcome::Permanent, "19021: sign match fail"},
        AnswerCase{"PushplusOk", PushKind::Pushplus, 200, R"({"code":200,"msg":"请求成功"})",
                   TryOutcome::Sent, ""},
        AnswerCase{"PushplusToken", PushKind::Pushplus, 200,
                   R"({"code":903,"msg":"无效的用户token"})", TryOutcome::Permanent,
                   "无效的用户token"},
        AnswerCase{"ServerchanOk", PushKind::Serverchan, 200, R"({"code":0,"message":""})",
                   TryOutcome::Sent, ""},
        AnswerCase{"BarkOk", PushKind::Bark, 200, R"({"code":200,"message":"success"})",
                   TryOutcome::Sent, ""},
        AnswerCase{"Html", PushKind::Dingtalk, 200, "<html><body>login</body></html>",
                   TryOutcome::Permanent, "不是 JSON"},
        AnswerCase{"ServerError", PushKind::Bark, 500, "oops", TryOutcome::Passing,
                   "HTTP 500 oops"},
        AnswerCase{"TooMany", PushKind::Ntfy, 429, "", TryOutcome::Passing, "HTTP 429"},
        AnswerCase{"Unauthorized", PushKind::Gotify, 401, R"({"error":"Unauthorized"})",
                   TryOutcome::Permanent, "HTTP 401"},
        AnswerCase{"NtfyOk", PushKind::Ntfy, 200, R"({"id":"x"})", TryOutcome::Sent, ""},
        AnswerCase{"WebhookAnyBody", PushKind::Webhook, 204, "", TryOutcome::Sent, "HTTP 204"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PushAnswers, AHugeAnswerIsCutInTheReason) {
    PushResult r = ReadPushAnswer(PushKind::Wecom, 200, std::string(2 * 1024 * 1024, 'x'));
    EXPECT_EQ(r.outcome, TryOutcome::Permanent);
    EXPECT_LT(r.reason.size(), 1000u);
}

}  // namespace
}  // namespace nuvaro
