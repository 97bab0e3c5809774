#include "notify/push_request.h"

#include "core/notice_texts.h"
#include "core/sha256.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "notify/json_value.h"
#include "notify/mail_message.h"
#include "notify/sms_request.h"

namespace nuvaro {
namespace {

using Members = std::vector<JsonValue::Member>;
constexpr size_t kMaxAnswerShown = 300;

JsonValue S(std::string_view text) { return JsonValue::String(text); }

std::string Joined(const PushMessage& m) {
    if (m.title.empty()) return m.body;
    return m.body.empty() ? m.title : m.title + "\n" + m.body;
}

std::string WithQuery(std::string url, std::string_view query) {
    url += url.find('?') == std::string::npos ? '?' : '&';
    return url.append(query);
}

// The webhook: the facts by name, for any receiver of one's own.
JsonValue WebhookBody(const PushMessage& m) {
    return JsonValue::Object({{"window", S(m.window)},
                              {"url", S(m.url)},
                              {"found", S(m.found)},
                              {"previous", S(m.previous)},
                              {"kind", S(m.kind)},
                              {"time", S(m.time)},
                              {"title", S(m.title)},
                              {"text", S(m.body)}});
}

// ntfy publishes JSON at the server's root, the topic by name: a UTF-8 title needs no header.
PushRequest Ntfy(const PushChannel& c, const PushMessage& m) {
    std::string url = c.url;
    while (!url.empty() && url.back() == '/') url.pop_back();
    const size_t slash = url.rfind('/');
    const std::string topic = url.substr(slash + 1);
    PushRequest r{url.substr(0, slash + 1), {}, {}};
    r.body = JsonValue::Object({{"topic", S(topic)}, {"title", S(m.title)}, {"message", S(m.body)}})
                 .Write();
    return r;
}

PushRequest Gotify(const PushChannel& c, const PushMessage& m) {
    std::string url = c.url;
    while (!url.empty() && url.back() == '/') url.pop_back();
    if (url.size() < 8 || url.compare(url.size() - 8, 8, "/message") != 0) url += "/message";
    PushRequest r{url, {}, {"X-Gotify-Key: " + c.secret}};
    r.body =
        JsonValue::Object(
            {{"title", S(m.title)}, {"message", S(m.body)}, {"priority", JsonValue::Number(5)}})
            .Write();
    return r;
}

PushRequest Robot(const PushChannel& c, PushKind kind, const PushMessage& m,
                  std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    PushRequest r{c.url, {}, {}};
    if (kind == PushKind::Feishu) {
        Members members{{"msg_type", S("text")},
                        {"content", JsonValue::Object({{"text", S(Joined(m))}})}};
        if (!c.secret.empty()) {
            const long long seconds =
                duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
            members.insert(members.begin(), {"sign", S(FeishuSign(c.secret, seconds))});
            members.insert(members.begin(), {"timestamp", S(std::to_string(seconds))});
        }
        r.body = JsonValue::Object(std::move(members)).Write();
        return r;
    }
    r.body = JsonValue::Object(
                 {{"msgtype", S("text")}, {"text", JsonValue::Object({{"content", S(Joined(m))}})}})
                 .Write();
    if (kind == PushKind::Dingtalk && !c.secret.empty()) {
        const long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
        r.url = WithQuery(
            r.url, "timestamp=" + std::to_string(ms) + "&sign=" + DingtalkSign(c.secret, ms));
    }
    return r;
}

PushRequest Build(const PushChannel& c, PushKind kind, const PushMessage& m,
                  std::chrono::system_clock::time_point now) {
    switch (kind) {
        case PushKind::Wecom:
        case PushKind::Dingtalk:
        case PushKind::Feishu:
            return Robot(c, kind, m, now);
        case PushKind::Pushplus:
            return {c.url,
                    JsonValue::Object(
                        {{"token", S(c.secret)}, {"title", S(m.title)}, {"content", S(m.body)}})
                        .Write(),
                    {}};
        case PushKind::Serverchan:
            return {
                c.url, JsonValue::Object({{"title", S(m.title)}, {"desp", S(m.body)}}).Write(), {}};
        case PushKind::Bark:
            return {
                c.url, JsonValue::Object({{"title", S(m.title)}, {"body", S(m.body)}}).Write(), {}};
        case PushKind::Ntfy:
            return Ntfy(c, m);
        case PushKind::Gotify:
            return Gotify(c, m);
        case PushKind::Webhook:
            break;
    }
    return {c.url, WebhookBody(m).Write(), {}};
}

// The member holding the service's result code, and the one holding its words.
struct AnswerKeys {
    const char* code;
    long long success;
    const char* message;
};

AnswerKeys KeysOf(PushKind kind) {
    switch (kind) {
        case PushKind::Feishu:
            return {"code", 0, "msg"};
        case PushKind::Pushplus:
            return {"code", 200, "msg"};
        case PushKind::Serverchan:
            return {"code", 0, "message"};
        case PushKind::Bark:
            return {"code", 200, "message"};
        default:
            return {"errcode", 0, "errmsg"};
    }
}

// A robot's "too many messages a minute": worth a try after the pause.
bool RateLimited(PushKind kind, long long code) {
    return (kind == PushKind::Wecom && code == 45009) ||
           (kind == PushKind::Dingtalk && code == 130101) ||
           (kind == PushKind::Feishu && code == 11232);
}

std::string Shown(std::string_view answer) {
    return CutUtf8Text(TrimControls(answer), kMaxAnswerShown);
}

}  // namespace

std::string DingtalkSign(std::string_view secret, long long milliseconds) {
    const std::string toSign = std::to_string(milliseconds) + "\n" + std::string(secret);
    return UrlEncode(Base64(HmacSha256(secret, toSign)));
}

std::string FeishuSign(std::string_view secret, long long seconds) {
    return Base64(HmacSha256(std::to_string(seconds) + "\n" + std::string(secret), ""));
}

PushRequest BuildPushRequest(const PushChannel& channel, const PushMessage& message,
                             std::chrono::system_clock::time_point now) {
    PushRequest r =
        Build(channel, PushKindNamed(channel.kind).value_or(PushKind::Webhook), message, now);
    r.headers.push_back("Content-Type: application/json; charset=utf-8");
    return r;
}

PushResult ReadPushAnswer(PushKind kind, long status, std::string_view answer) {
    const std::string http = "HTTP " + std::to_string(status);
    const std::string words = Shown(answer);
    const std::string detail = words.empty() ? http : http + " " + words;
    if (status < 200 || status >= 300) {
        const bool passing = status == 408 || status == 429 || (status >= 500 && status < 600);
        return {passing ? TryOutcome::Passing : TryOutcome::Permanent, detail};
    }
    // ntfy, Gotify and a webhook say it with the status alone.
    if (kind == PushKind::Ntfy || kind == PushKind::Gotify || kind == PushKind::Webhook)
        return {TryOutcome::Sent, detail};
    auto json = JsonValue::Parse(answer);
    if (!json || json->type() != JsonValue::Type::Object)
        return {TryOutcome::Permanent, std::string(text::kPushNotJson) + "; " + detail};
    const AnswerKeys keys = KeysOf(kind);
    const JsonValue* code = json->Find(keys.code);
    if (!code && kind == PushKind::Feishu) code = json->Find("StatusCode");
    const int64_t value = code ? code->AsInteger().value_or(-1) : -1;
    if (code && value == keys.success) return {TryOutcome::Sent, detail};
    const JsonValue* said = json->Find(keys.message);
    std::string reason = std::string(text::kPushServiceError) + " " +
                         (code ? Shown(code->AsText()) : std::string("?"));
    if (said) reason += ": " + Shown(said->AsText());
    const bool passing = RateLimited(kind, value);
    return {passing ? TryOutcome::Passing : TryOutcome::Permanent, reason + " (" + http + ")"};
}

}  // namespace nuvaro
