#pragma once

#include <atomic>
#include <chrono>

#include "notify/delivery_channel.h"
#include "notify/push_request.h"
#include "notify/push_settings.h"

namespace nuvaro {

struct PushTimeouts {
    long connectSeconds = 15;
    long totalSeconds = 30;
    const std::atomic<bool>* cancel = nullptr;  // true: end the transfer (the program exits)
};

// One try of one push channel: the kind's request over HTTP(S), the service's answer read.
// The reason (UTF-8) is the service's answer or the transfer's error, cut, with the channel's
// URL and secret taken out. A channel that fails CheckPushChannel fails for good with its
// reason. A robot with a limit per minute (企业微信, 钉钉) is not sent to beyond it: such a
// try fails for now.
PushResult SendPush(const PushChannel& channel, const PushMessage& message,
                    const PushTimeouts& timeouts = {},
                    std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace nuvaro
