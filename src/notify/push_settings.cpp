#include "notify/push_settings.h"

#include <cstdio>

#include "core/gbk.h"
#include "core/notice_texts.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

struct KindInfo {
    PushKind kind;
    const char* name;
    const char* example;
};

constexpr KindInfo kKinds[] = {
    {PushKind::Wecom, "wecom", "https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key="},
    {PushKind::Dingtalk, "dingtalk", "https://oapi.dingtalk.com/robot/send?access_token="},
    {PushKind::Feishu, "feishu", "https://open.feishu.cn/open-apis/bot/v2/hook/"},
    {PushKind::Pushplus, "pushplus", "https://www.pushplus.plus/send"},
    {PushKind::Serverchan, "serverchan", "https://sctapi.ftqq.com/SENDKEY.send"},
    {PushKind::Bark, "bark", "https://api.day.app/"},
    {PushKind::Ntfy, "ntfy", "https://ntfy.sh/"},
    {PushKind::Gotify, "gotify", "https://"},
    {PushKind::Webhook, "webhook", "https://"},
};

const KindInfo& InfoOf(PushKind kind) {
    for (const auto& info : kKinds) {
        if (info.kind == kind) return info;
    }
    return kKinds[0];
}

std::string Format(const char* pattern, const std::string& a, const std::string& b = {}) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, a.c_str(), b.c_str());
    return buffer;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           EqualsIgnoreAsciiCase(text.substr(0, start.size()), start);
}

// Printable ASCII without blanks: what keys and tokens of these services are made of.
bool PlainSecret(std::string_view secret) {
    for (char c : secret) {
        if (c <= ' ' || c > '~') return false;
    }
    return true;
}

// The text between "://" and the next "/", "?" or "#", without a user part.
std::string HostOf(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return {};
    std::string_view rest = url.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    const size_t at = rest.rfind('@');
    if (at != std::string_view::npos) rest = rest.substr(at + 1);
    return std::string(rest);
}

// An ntfy address names its topic after the server: "https://ntfy.sh/mytopic".
bool HasTopic(std::string_view url) {
    std::string_view rest = url.substr(url.find("://") + 3);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return false;
    rest = rest.substr(slash);
    while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    return !rest.empty() && rest.find_first_of("?#") == std::string_view::npos;
}

}  // namespace

const std::vector<PushKind>& PushKinds() {
    static const std::vector<PushKind> kinds = [] {
        std::vector<PushKind> all;
        for (const auto& info : kKinds) all.push_back(info.kind);
        return all;
    }();
    return kinds;
}

std::optional<PushKind> PushKindNamed(std::string_view name) {
    name = TrimControls(name);
    for (const auto& info : kKinds) {
        if (EqualsIgnoreAsciiCase(name, info.name)) return info.kind;
    }
    return std::nullopt;
}

const char* PushKindName(PushKind kind) { return InfoOf(kind).name; }
const char* PushKindExample(PushKind kind) { return InfoOf(kind).example; }

std::string CheckPushChannel(const PushChannel& c) {
    auto kind = PushKindNamed(c.kind);
    if (!kind) return Format(text::kPushUnknownKind, c.section, c.kind);
    if (TrimControls(c.url).empty()) return Format(text::kPushNoUrl, c.section);
    if (!StartsWithIgnoreCase(c.url, "http://") && !StartsWithIgnoreCase(c.url, "https://"))
        return Format(text::kPushBadUrl, c.section);
    if (HostOf(c.url).empty() || !PlainSecret(c.url)) return Format(text::kPushBadUrl, c.section);
    if (!PlainSecret(c.secret)) return Format(text::kPushBadSecret, c.section);
    if (kind == PushKind::Ntfy && !HasTopic(c.url)) return Format(text::kPushNoTopic, c.section);
    if ((kind == PushKind::Pushplus || kind == PushKind::Gotify) && c.secret.empty())
        return Format(text::kPushNoSecret, c.section);
    return {};
}

std::vector<PushChannel> ReadPushChannels(const IniDocument& pushInf) {
    std::vector<PushChannel> channels;
    for (const std::string& section : pushInf.SectionNames()) {
        if (!StartsWithIgnoreCase(section, "push")) continue;
        auto key = [&](const char* name) {
            auto value = pushInf.ReadGbk(section, name);
            return value ? std::string(TrimControls(ToUtf8(*value))) : std::string();
        };
        PushChannel c{section, key("Kind"), key("Url"), key("Secret"), key("Title")};
        c.enabled = key("Enabled") != "0";
        channels.push_back(std::move(c));
    }
    return channels;
}

std::string WritePushChannels(std::vector<PushChannel>& channels) {
    IniWriter out;
    for (size_t i = 0; i < channels.size(); ++i) {
        PushChannel& c = channels[i];
        c.section = "push" + std::to_string(i + 1);
        out.Section(c.section);
        out.WriteGbk("Kind", ToGbk(c.kind));
        out.WriteGbk("Url", ToGbk(c.url));
        if (!c.secret.empty()) out.WriteGbk("Secret", ToGbk(c.secret));
        if (!c.title.empty()) out.WriteGbk("Title", ToGbk(c.title));
        out.Write("Enabled", c.enabled ? "1" : "0");
    }
    return out.Text();
}

std::string PushChannelLabel(const PushChannel& channel) {
    std::string host = HostOf(channel.url);
    return std::string(TrimControls(channel.kind)) + (host.empty() ? "" : " " + host);
}

}  // namespace nuvaro
