#include "core/loopback.h"

#include <arpa/inet.h>

#include <memory>

#include "core/text_util.h"

namespace nuvaro {
namespace {

bool IsLoopbackName(std::string_view host) {
    if (host.size() > 1 && host.back() == '.') host.remove_suffix(1);
    constexpr std::string_view kSuffix = ".localhost";
    return EqualsIgnoreAsciiCase(host, "localhost") ||
           (host.size() > kSuffix.size() &&
            EqualsIgnoreAsciiCase(host.substr(host.size() - kSuffix.size()), kSuffix));
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

}  // namespace

bool IsLoopbackHost(std::string_view host) {
    if (IsLoopbackName(host)) return true;
    std::string h(host);
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    in_addr v4{};
    if (inet_pton(AF_INET, h.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, h.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_V4MAPPED(&v6)) return v6.s6_addr[12] == 127;
        return IN6_IS_ADDR_LOOPBACK(&v6);
    }
    return false;
}

bool IsLoopbackUrl(const std::string& url) {
    std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return false;
    }
    char* host = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host) return false;
    const bool loopback = IsLoopbackHost(host);
    curl_free(host);
    return loopback;
}

void NoProxyToLoopback(CURL* easy, const std::string& url) {
    // An empty proxy turns off every proxy, those of the environment included.
    if (IsLoopbackUrl(url)) curl_easy_setopt(easy, CURLOPT_PROXY, "");
}

}  // namespace nuvaro
