#include "core/loopback.h"

#include <algorithm>
#include <memory>

#include "core/system.h"
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
    unsigned char v4[4];
    if (ParseIpv4(h, v4)) return v4[0] == 127;
    unsigned char v6[16];
    if (!ParseIpv6(h, v6)) return false;
    auto zero = [](unsigned char b) { return b == 0; };
    // ::ffff:a.b.c.d carries an IPv4 address; ::1 is the loopback.
    if (std::all_of(v6, v6 + 10, zero) && v6[10] == 0xFF && v6[11] == 0xFF) return v6[12] == 127;
    return std::all_of(v6, v6 + 15, zero) && v6[15] == 1;
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
