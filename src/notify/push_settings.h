#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"

namespace nuvaro {

// The services a push channel speaks to.
enum class PushKind { Wecom, Dingtalk, Feishu, Pushplus, Serverchan, Bark, Ntfy, Gotify, Webhook };

// Every kind, in the order the dialog lists them.
const std::vector<PushKind>& PushKinds();
// "wecom", "dingtalk", ...; nullopt for a name that is no kind (ASCII case ignored).
std::optional<PushKind> PushKindNamed(std::string_view name);
const char* PushKindName(PushKind kind);
// The address a new channel of the kind starts from (the user puts the key in it).
const char* PushKindExample(PushKind kind);

// One section of push.inf. Texts are UTF-8.
struct PushChannel {
    std::string section;      // "push1", "push2", ...
    std::string kind;         // Kind
    std::string url = {};     // Url
    std::string secret = {};  // Secret: signing secret or token, never logged
    std::string title = {};   // Title: put before the notice's subject; empty: none
    bool enabled = true;      // Enabled (on unless "0")
};

// Why the channel cannot send (UTF-8, naming its section), or empty when it can.
std::string CheckPushChannel(const PushChannel& channel);

// push.inf beside the executable: GBK, CR LF, owner-only.
inline constexpr const char* kPushFileName = "push.inf";

// The sections of push.inf whose name begins with "push", in file order.
std::vector<PushChannel> ReadPushChannels(const IniDocument& pushInf);
// The file's text for `channels`, sections renumbered push1, push2, ... in order.
std::string WritePushChannels(std::vector<PushChannel>& channels);

// "kind host": how a channel shows in logs and boxes, without its key, path or secret.
std::string PushChannelLabel(const PushChannel& channel);

}  // namespace nuvaro
