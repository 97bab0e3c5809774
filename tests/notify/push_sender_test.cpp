// Each push kind against a robot of its own on 127.0.0.1 that checks the request as the service
// documents it and answers as the service would.

#include "notify/push_sender.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "core/sha256.h"
#include "notify/json_value.h"
#include "notify/mail_message.h"
#include "notify/sms_request.h"
#include "support/http_server.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Server = testing::LocalHttpServer;

constexpr const char* kSecret = "SECabc123XYZ";
const PushMessage kMessage{
    "显卡：发现变化", "价格 128 元 ✓",     "显卡", "http://shop.example/7", "128", "99",
    "change",         "2026-12-10 9:00:00"};

enum class Mode { Success, ErrorCode, ServerError, Slow };

struct KindCase {
    const char* kind;
    const char* path = "";     // the robot's path; the channel's URL is built from it
    const char* query = "";    // put after the URL ("key=..." for robots that take it there)
    const char* secret = "";   // the channel's Secret
    const char* success = "";  // the service's answer when all is well
    const char* failure = "";  // its answer with an error code (200)
    const char* textKey = "";  // where the text arrives: "a.b"
    const char* says = "";     // what the reason of the failure answer quotes
    const char* topic = "";    // put after the path (ntfy: the topic)
};

// The member at "a.b" of a JSON text.
std::string Member(const std::string& body, const std::string& path) {
    auto json = JsonValue::Parse(body);
    if (!json) return "<no json>";
    const JsonValue* v = &*json;
    for (size_t start = 0; v;) {
        size_t dot = path.find('.', start);
        v = v->Find(path.substr(start, dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return v ? v->AsText() : "<missing>";
}

// A robot that refuses a request that is not signed as its service signs, as the real ones do.
bool SignedRight(const KindCase& k, const httplib::Request& req) {
    const std::string kind = k.kind;
    if (kind == "dingtalk") {
        const std::string ts = req.get_param_value("timestamp");
        return !ts.empty() &&
               req.get_param_value("sign") == Base64(HmacSha256(kSecret, ts + "\n" + kSecret));
    }
    if (kind == "feishu") {
        const std::string ts = Member(req.body, "timestamp");
        return Member(req.body, "sign") == Base64(HmacSha256(ts + "\n" + kSecret, ""));
    }
    return true;
}

class PushKinds : public ::testing::TestWithParam<KindCase> {
  protected:
    PushChannel Channel(Mode mode) {
        m_server.Post(
            GetParam().path, [this, mode](const httplib::Request& req, httplib::Response& res) {
                if (mode == Mode::Slow) std::this_thread::sleep_for(std::chrono::seconds(3));
                if (mode == Mode::ServerError) return res.status = 500, void();
                const bool ok = mode == Mode::Success && SignedRight(GetParam(), req);
                res.set_content(ok ? GetParam().success : GetParam().failure, "application/json");
            });
        std::string url = m_server.Url(GetParam().path) + GetParam().topic;
        if (*GetParam().query) url += std::string("?") + GetParam().query;
        return {"push1", GetParam().kind, url, GetParam().secret};
    }
    Server m_server;
    PushTimeouts m_quick{5, 1};
};

TEST_P(PushKinds, SendTheDocumentedRequestAndReadASuccess) {
    PushResult r = SendPush(Channel(Mode::Success), kMessage, m_quick);
    EXPECT_EQ(r.outcome, TryOutcome::Sent) << r.reason;
    auto requests = m_server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& req = requests[0];
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.path, GetParam().path);
    EXPECT_THAT(req.Header("Content-Type"), HasSubstr("application/json"));
    const std::string text = Member(req.body, GetParam().textKey);
    EXPECT_THAT(text, HasSubstr("价格 128 元 ✓"));  // UTF-8, whole
    EXPECT_THAT(r.reason, Not(HasSubstr(kSecret)));
}

TEST_P(PushKinds, AnErrorCodeIsAFailureWithTheServicesWords) {
    PushResult r = SendPush(Channel(Mode::ErrorCode), kMessage, m_quick);
    const std::string kind = GetParam().kind;
    if (kind == "ntfy" || kind == "gotify" || kind == "webhook") return;  // status only
    EXPECT_EQ(r.outcome, TryOutcome::Permanent);
    EXPECT_THAT(r.reason, HasSubstr("推送服务返回错误"));
    EXPECT_THAT(r.reason, HasSubstr(GetParam().says));
}

TEST_P(PushKinds, AServerErrorOrNoAnswerIsWorthAnotherTry) {
    PushResult error = SendPush(Channel(Mode::ServerError), kMessage, m_quick);
    EXPECT_EQ(error.outcome, TryOutcome::Passing);
    EXPECT_THAT(error.reason, HasSubstr("HTTP 500"));
}

INSTANTIATE_TEST_SUITE_P(
    Robots, PushKinds,
    ::testing::Values(
        KindCase{"wecom", "/cgi-bin/webhook/send", "key=K-1", "", R"({"errcode":0,"errmsg":"ok"})",
                 R"({"errcode":93000,"errmsg":"invalid webhook url"})", "text.content",
                 "93000: invalid webhook url"},
        KindCase{"dingtalk", "/robot/send", "access_token=T1", kSecret,
                 R"({"errcode":0,"errmsg":"ok"})",
                 R"({"errcode":310000,"errmsg":"sign not match"})", "text.content",
                 "310000: sign not match"},
        KindCase{"feishu", "/open-apis/bot/v2/hook/h1", "", kSecret,
                 R"({"code":0,"msg":"success","data":{}})",
                 R"({"code":19021,"msg":"sign match fail"})", "content.text",
                 "19021: sign match fail"},
        KindCase{"pushplus", "/send", "", "tok1", R"({"code":200,"msg":"请求成功","data":"x"})",
                 R"({"code":903,"msg":"无效的用户token"})", "content", "903: 无效的用户token"},
        KindCase{"serverchan", "/SCT1.send", "", "", R"({"code":0,"message":"","data":{}})",
                 R"({"code":40001,"message":"bad pushkey"})", "desp", "bad pushkey"},
        KindCase{"bark", "/devkey", "", "", R"({"code":200,"message":"success"})",
                 R"({"code":400,"message":"failed to get device token"})", "body",
                 "failed to get device token"},
        KindCase{"ntfy", "/", "", "", R"({"id":"a1","topic":"alerts"})", R"({"id":"a1"})",
                 "message", "", "alerts"},
        KindCase{"gotify", "/message", "", "AppTok", R"({"id":1})", R"({"id":1})", "message"},
        KindCase{"webhook", "/in", "", "", "ok", "ok", "text"}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST(PushSends, TheSignatureTheRobotChecksIsThatOfTheSecret) {
    Server robot;
    robot.Post("/robot/send", [](const httplib::Request& req, httplib::Response& res) {
        const KindCase k{"dingtalk"};
        res.set_content(SignedRight(k, req) ? R"({"errcode":0})"
                                            : R"({"errcode":310000,"errmsg":"sign not match"})",
                        "application/json");
    });
    PushChannel wrong{"push1", "dingtalk", robot.Url("/robot/send?access_token=T"), "SECother"};
    PushResult r = SendPush(wrong, kMessage);
    EXPECT_EQ(r.outcome, TryOutcome::Permanent);
    EXPECT_THAT(r.reason, HasSubstr("sign not match"));
    EXPECT_THAT(r.reason, Not(HasSubstr("SECother")));
}

TEST(PushSends, NtfyGetsItsTopicAndAUtf8TitleIntact) {
    Server ntfy;
    ntfy.Post("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"id":"x"})", "application/json");
    });
    PushResult r = SendPush({"push1", "ntfy", ntfy.Url("/alerts")}, kMessage);
    EXPECT_EQ(r.outcome, TryOutcome::Sent) << r.reason;
    auto req = ntfy.Requests().at(0);
    EXPECT_EQ(Member(req.body, "topic"), "alerts");
    EXPECT_EQ(Member(req.body, "title"), "显卡：发现变化");
}

TEST(PushSends, ARobotThatDoesNotAnswerInTimeIsTriedAgainLater) {
    Server slow;
    slow.Post("/robot/send", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        res.set_content(R"({"errcode":0})", "application/json");
    });
    PushResult r =
        SendPush({"push1", "wecom", slow.Url("/robot/send?key=SECRETKEY1")}, kMessage, {5, 1});
    EXPECT_EQ(r.outcome, TryOutcome::Passing);
    EXPECT_THAT(r.reason, HasSubstr("imeout"));
    EXPECT_THAT(r.reason, Not(HasSubstr("SECRETKEY1")));
}

TEST(PushSends, AnHtmlPageOrATwoMegabyteAnswerIsAClearFailure) {
    Server odd;
    odd.Post("/html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body>请登录</body></html>", "text/html");
    });
    odd.Post("/huge", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(std::string(2 * 1024 * 1024, 'x'), "text/plain");
    });
    PushResult html = SendPush({"push1", "wecom", odd.Url("/html?key=k")}, kMessage);
    EXPECT_EQ(html.outcome, TryOutcome::Permanent);
    EXPECT_THAT(html.reason, HasSubstr("推送服务的回答不是 JSON"));
    PushResult huge = SendPush({"push1", "bark", odd.Url("/huge")}, kMessage);
    EXPECT_EQ(huge.outcome, TryOutcome::Permanent);
    EXPECT_THAT(huge.reason, HasSubstr("不是 JSON"));
    EXPECT_LT(huge.reason.size(), 1000u);
}

TEST(PushSends, ABadChannelFailsForGoodWithoutARequest) {
    PushResult r = SendPush({"push4", "telegram", "https://x.example/"}, kMessage);
    EXPECT_EQ(r.outcome, TryOutcome::Permanent);
    EXPECT_THAT(r.reason, HasSubstr("push.inf [push4]"));
}

TEST(PushSends, ARobotGetsAtMostTwentyMessagesAMinute) {
    Server robot;
    robot.Post("/send", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(R"({"errcode":0})", "application/json");
    });
    PushChannel wecom{"push1", "wecom", robot.Url("/send?key=limit")};
    const auto at = std::chrono::system_clock::now();
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(SendPush(wecom, kMessage, {}, at).outcome, TryOutcome::Sent);
    PushResult r = SendPush(wecom, kMessage, {}, at + std::chrono::seconds(30));
    EXPECT_EQ(r.outcome, TryOutcome::Passing);
    EXPECT_THAT(r.reason, HasSubstr("每分钟最多"));
    EXPECT_EQ(SendPush(wecom, kMessage, {}, at + std::chrono::seconds(61)).outcome,
              TryOutcome::Sent);
    EXPECT_EQ(robot.Requests().size(), 21u);
}

}  // namespace
}  // namespace nuvaro
