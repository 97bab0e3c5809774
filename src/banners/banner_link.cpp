#include "banners/banner_link.h"

#include "core/text_util.h"

namespace nuvaro {
namespace {

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoreAsciiCase(s.substr(0, prefix.size()), prefix);
}

bool AllDigits(std::string_view s) {
    for (char c : s) {
        if (!IsDigit(c)) return false;
    }
    return true;
}

// "name:" at the start in the form of a URI scheme. "host:8080" and "host:8080/x" read as a
// host with a port, not as a scheme.
bool HasOtherScheme(std::string_view link) {
    if (link.empty() || !IsAlpha(link[0])) return false;
    size_t i = 1;
    while (i < link.size() && (IsAlpha(link[i]) || IsDigit(link[i]) || link[i] == '+' ||
                               link[i] == '-' || link[i] == '.')) {
        ++i;
    }
    if (i >= link.size() || link[i] != ':') return false;
    std::string_view rest = link.substr(i + 1);
    std::string_view port = rest.substr(0, rest.find_first_of("/?#"));
    return port.empty() || !AllDigits(port);
}

bool IsHostName(std::string_view host) {
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        for (char c : host.substr(1, host.size() - 2)) {
            if (!IsDigit(c) && !IsAlpha(c) && c != ':' && c != '.') return false;
        }
        return host.size() > 2;
    }
    bool hasName = false;
    for (char c : host) {
        if (IsAlpha(c) || IsDigit(c) || IsHigh(c)) {
            hasName = true;
        } else if (c != '-' && c != '.' && c != '_') {
            return false;
        }
    }
    return hasName;
}

// `url` begins with "http://" or "https://"; checks what follows up to the path.
bool HasValidAuthority(std::string_view url) {
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F || c == '\\') return false;
    }
    std::string_view rest = url.substr(url.find("://") + 3);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = authority.rfind('@');
    std::string_view host = at == std::string_view::npos ? authority : authority.substr(at + 1);
    size_t colon = host.rfind(':');
    if (colon != std::string_view::npos && host.find(']', colon) == std::string_view::npos) {
        if (!AllDigits(host.substr(colon + 1))) return false;
        host = host.substr(0, colon);
    }
    return IsHostName(host);
}

std::string PercentEncodeHighBytes(std::string_view url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : url) {
        if (!IsHigh(c)) {
            out.push_back(c);
            continue;
        }
        auto b = static_cast<unsigned char>(c);
        out += {'%', kHex[b >> 4], kHex[b & 0x0F]};
    }
    return out;
}

}  // namespace

std::optional<std::string> BannerLinkTarget(std::string_view link) {
    link = TrimControls(link);
    if (link.empty()) return std::nullopt;
    std::string url;
    if (StartsWithIgnoreCase(link, "http://") || StartsWithIgnoreCase(link, "https://")) {
        url = link;
    } else if (HasOtherScheme(link)) {
        return std::nullopt;
    } else {
        url = "http://" + std::string(link);
    }
    if (!HasValidAuthority(url)) return std::nullopt;
    return PercentEncodeHighBytes(url);
}

}  // namespace nuvaro
