#include "notify/smtp_address.h"

#include <algorithm>

#include "core/system.h"
#include "core/text_util.h"
#include "notify/mail_providers.h"

namespace nuvaro {
namespace {

bool IsNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c >= 0x80;  // non-ASCII: an international name
}

bool IsIpv4(const std::string& s) {
    unsigned char a[4];
    return ParseIpv4(s, a);
}

bool IsIpv6(const std::string& s) {
    unsigned char a[16];
    return ParseIpv6(s, a);
}

std::string_view WithoutFinalDot(std::string_view host) {
    if (host.size() > 1 && host.back() == '.') host.remove_suffix(1);
    return host;
}

std::optional<long> PortNumber(std::string_view text) {
    auto port = ParseInteger(text);
    if (!port || *port < 1 || *port > 65535) return std::nullopt;
    return static_cast<long>(*port);
}

// "smtp://" or "smtps://" (any case) taken off the front; false for another scheme.
bool TakeScheme(std::string_view& text, bool& implicitTls) {
    auto sep = text.find("://");
    if (sep == std::string_view::npos) return true;
    std::string_view scheme = text.substr(0, sep);
    if (EqualsIgnoreAsciiCase(scheme, "smtps")) {
        implicitTls = true;
    } else if (!EqualsIgnoreAsciiCase(scheme, "smtp")) {
        return false;
    }
    text.remove_prefix(sep + 3);
    return true;
}

// Host and port text of the authority; false when it is no host.
bool SplitAuthority(std::string_view authority, SmtpServer& s, std::string_view& portText) {
    if (!authority.empty() && authority.front() == '[') {
        auto close = authority.find(']');
        if (close == std::string_view::npos) return false;
        s.host = std::string(authority.substr(1, close - 1));
        std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return false;
        if (!rest.empty()) portText = rest.substr(1);
        s.ipv6 = true;
        return IsIpv6(s.host);
    }
    auto colon = authority.find(':');
    if (colon != std::string_view::npos &&
        authority.find(':', colon + 1) != std::string_view::npos) {
        s.host = std::string(authority);  // a bare IPv6 address
        s.ipv6 = true;
        return IsIpv6(s.host);
    }
    s.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) portText = authority.substr(colon + 1);
    if (s.host.empty()) return false;
    for (char c : s.host) {
        if (!IsNameByte(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

std::optional<SmtpServer> ParseSmtpServer(std::string_view server, std::string_view portField,
                                          std::string_view security) {
    std::string_view text = TrimControls(server);
    SmtpServer s;
    if (!TakeScheme(text, s.implicitTls)) return std::nullopt;
    // Only slashes may follow the host: anything after them is a path.
    auto end = text.find('/');
    if (end != std::string_view::npos &&
        text.find_first_not_of('/', end) != std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view authority = text.substr(0, end);
    if (authority.find_first_of("@?#\\") != std::string_view::npos) return std::nullopt;
    std::string_view portText;
    if (!SplitAuthority(authority, s, portText)) return std::nullopt;

    auto hostPort = PortNumber(portText);
    if (!portText.empty() && !hostPort) return std::nullopt;
    if (auto fieldPort = PortNumber(TrimControls(portField))) {
        s.port = *fieldPort;
    } else if (hostPort) {
        s.port = *hostPort;
    } else {
        s.port = s.implicitTls ? 465 : 25;
    }
    const std::string chosen = ParseMailSecurity(security).value_or(kMailSecurityAuto);
    const bool schemeTls = s.implicitTls;
    if (chosen == kMailSecuritySsl || (chosen.empty() && s.port == 465)) s.implicitTls = true;
    s.requireTls = chosen == kMailSecurityStartTls && !schemeTls;
    s.ipLiteral = s.ipv6 || IsIpv4(s.host);
    s.loopback = IsLoopbackHost(s.host);
    if (s.loopback && !s.ipLiteral) s.host = std::string(WithoutFinalDot(s.host));
    return s;
}

std::string SmtpUrl(const SmtpServer& s, std::string_view greeting) {
    std::string host = s.ipv6 ? "[" + s.host + "]" : s.host;
    return std::string(s.implicitTls ? "smtps://" : "smtp://") + host + ":" +
           std::to_string(s.port) + "/" + std::string(greeting);
}

std::string LoopbackPin(const SmtpServer& s) {
    if (!s.loopback || s.ipLiteral) return {};
    return s.host + ":" + std::to_string(s.port) + ":127.0.0.1,::1";
}

std::string SenderAddress(const MailAccount& account) {
    std::string user(TrimControls(account.user));
    if (user.find('@') != std::string::npos) return user;
    auto server = ParseSmtpServer(account.smtp, account.port);
    if (!user.empty() && server) return user + "@" + server->host;
    return "nuvaro@" + HostName();
}

}  // namespace nuvaro
