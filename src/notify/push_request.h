#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "notify/delivery_channel.h"
#include "notify/push_settings.h"

namespace nuvaro {

// What a push channel sends: the notice's subject and text, and for a webhook its facts. UTF-8.
struct PushMessage {
    std::string title;
    std::string body;
    // For a webhook.
    std::string window = {}, url = {}, found = {}, previous = {}, kind = {}, time = {};
};

// The outcome of one push, with the service's words or the transfer's error (UTF-8).
struct PushResult {
    TryOutcome outcome = TryOutcome::Permanent;
    std::string reason;
};

struct PushRequest {
    std::string url;
    std::string body;
    std::vector<std::string> headers;  // "Name: value"
};

// The request of `channel`'s kind (CheckPushChannel passed), signed at `now` where the kind
// signs. Every kind POSTs UTF-8 JSON.
PushRequest BuildPushRequest(const PushChannel& channel, const PushMessage& message,
                             std::chrono::system_clock::time_point now);

// What the service's answer says: sent, worth another try (5xx, 408, 429, a robot's "too
// many"), or refused for good, with the service's own words (UTF-8, bounded).
PushResult ReadPushAnswer(PushKind kind, long status, std::string_view answer);

// The signature of a 钉钉 robot: Base64 of HMAC-SHA256 keyed by `secret` over
// "<milliseconds>\n<secret>", URL-encoded.
std::string DingtalkSign(std::string_view secret, long long milliseconds);
// The signature of a 飞书 bot: Base64 of HMAC-SHA256 keyed by "<seconds>\n<secret>" over nothing.
std::string FeishuSign(std::string_view secret, long long seconds);

}  // namespace nuvaro
