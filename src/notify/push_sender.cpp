#include "notify/push_sender.h"

#include <deque>
#include <map>
#include <mutex>

#include "core/curl_session.h"
#include "core/notice_texts.h"

namespace nuvaro {
namespace {

// Enough for any service's answer; a bigger body is cut here and read as no JSON.
constexpr size_t kMaxAnswer = 64 * 1024;
constexpr size_t kPerMinute = 20;

// The sends of the last minute of each robot that has a limit.
bool WithinLimit(const PushChannel& channel, std::chrono::system_clock::time_point now) {
    static std::mutex mutex;
    static std::map<std::string, std::deque<std::chrono::system_clock::time_point>> sent;
    std::lock_guard lock(mutex);
    auto& times = sent[channel.url];
    while (!times.empty() && now - times.front() >= std::chrono::minutes(1)) times.pop_front();
    if (times.size() >= kPerMinute) return false;
    times.push_back(now);
    return true;
}

void Redact(std::string& text, const std::string& secret) {
    if (secret.size() < 4) return;
    for (size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at))
        text.replace(at, secret.size(), "***");
}

// Neither the secret nor the address (which holds the robot's key) goes into a reason.
std::string Clean(std::string reason, const PushChannel& channel, const PushRequest& request) {
    for (const std::string* secret : {&request.url, &channel.url, &channel.secret})
        Redact(reason, *secret);
    const size_t query = channel.url.find('?');
    if (query != std::string::npos) Redact(reason, channel.url.substr(query + 1));
    return reason;
}

PushResult Post(const PushChannel& channel, PushKind kind, const PushRequest& request,
                const PushTimeouts& timeouts) {
    CurlSession session(timeouts.connectSeconds, timeouts.totalSeconds, {});
    session.CancelWhen(timeouts.cancel);
    std::string answer;
    const bool done = PerformHttp(session, {"POST", request.url, request.headers, request.body},
                                  answer, kMaxAnswer);
    if (!done) {
        return {session.FailureMayPass() ? TryOutcome::Passing : TryOutcome::Permanent,
                Clean(session.Error(), channel, request)};
    }
    PushResult result = ReadPushAnswer(kind, session.ResponseCode(), answer);
    result.reason = Clean(result.reason, channel, request);
    return result;
}

}  // namespace

PushResult SendPush(const PushChannel& channel, const PushMessage& message,
                    const PushTimeouts& timeouts, std::chrono::system_clock::time_point now) {
    const std::string wrong = CheckPushChannel(channel);
    if (!wrong.empty()) return {TryOutcome::Permanent, wrong};
    const PushKind kind = *PushKindNamed(channel.kind);
    if ((kind == PushKind::Wecom || kind == PushKind::Dingtalk) && !WithinLimit(channel, now))
        return {TryOutcome::Passing, text::kPushTooFast};
    return Post(channel, kind, BuildPushRequest(channel, message, now), timeouts);
}

}  // namespace nuvaro
