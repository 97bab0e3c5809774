#include "email/smtp_send.h"

#include <arpa/inet.h>
#include <unistd.h>

#include "common/curl_session.h"
#include "core/text_util.h"

namespace nuvaro::plugin {
namespace {

struct Server {
    bool implicitTls = false;
    std::string host;
    long port = 25;
};

Server ParseServer(const MailAccount& account) {
    Server s;
    std::string_view host = TrimControls(account.smtp);
    if (host.rfind("smtps://", 0) == 0) {
        s.implicitTls = true;
        host.remove_prefix(8);
    } else if (host.rfind("smtp://", 0) == 0) {
        host.remove_prefix(7);
    }
    while (!host.empty() && host.back() == '/') host.remove_suffix(1);
    // "host:port" (one colon: not an IPv6 address) names the port when its field is empty.
    std::string_view portText = TrimControls(account.port);
    auto colon = host.find(':');
    if (colon != std::string_view::npos && host.find(':', colon + 1) == std::string_view::npos) {
        if (portText.empty()) portText = host.substr(colon + 1);
        host = host.substr(0, colon);
    }
    s.host = std::string(host);
    auto port = ParseInteger(portText);
    if (port && *port > 0 && *port < 65536) {
        s.port = static_cast<long>(*port);
    } else {
        s.port = s.implicitTls ? 465 : 25;
    }
    if (s.port == 465) s.implicitTls = true;
    return s;
}

std::string LocalHostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

struct Upload {
    const std::string* data;
    size_t offset = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* userdata) {
    auto* upload = static_cast<Upload*>(userdata);
    size_t left = upload->data->size() - upload->offset;
    size_t n = std::min(left, size * count);
    upload->data->copy(buffer, n, upload->offset);
    upload->offset += n;
    return n;
}

}  // namespace

bool IsLoopbackHost(const std::string& host) {
    std::string h = host;
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    if (EqualsIgnoreAsciiCase(h, "localhost")) return true;
    if (h.size() > 10 && EqualsIgnoreAsciiCase(h.substr(h.size() - 10), ".localhost")) return true;
    in_addr v4{};
    if (inet_pton(AF_INET, h.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, h.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_V4MAPPED(&v6)) return v6.s6_addr[12] == 127;
        return IN6_IS_ADDR_LOOPBACK(&v6);
    }
    return false;
}

std::string SenderAddress(const MailAccount& account) {
    std::string user(TrimControls(account.user));
    if (user.find('@') != std::string::npos) return user;
    std::string host = ParseServer(account).host;
    if (!user.empty() && !host.empty()) return user + "@" + host;
    return "nuvaro@" + LocalHostName();
}

SmtpResult SendOverSmtp(const MailAccount& account, const SmtpOptions& options,
                        const std::string& from, const std::string& to,
                        const std::string& message) {
    Server server = ParseServer(account);
    CurlSession session(options.connectTimeout, options.totalTimeout, options.caFile);
    CURL* curl = session.handle();

    std::string host = server.host;
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    // The path names the domain we greet the server with.
    std::string url = std::string(server.implicitTls ? "smtps://" : "smtp://") + host + ":" +
                      std::to_string(server.port) + "/" + LocalHostName();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");

    bool authenticate = !TrimControls(account.user).empty();
    if (!server.implicitTls) {
        bool mustEncrypt = authenticate && !IsLoopbackHost(server.host);
        curl_easy_setopt(curl, CURLOPT_USE_SSL, mustEncrypt ? CURLUSESSL_ALL : CURLUSESSL_TRY);
    }
    if (authenticate) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, account.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.c_str());
    }

    std::string mailFrom = "<" + from + ">";
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.c_str());
    curl_slist* recipients = curl_slist_append(nullptr, ("<" + to + ">").c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);

    Upload upload{&message};
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &ReadUpload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);

    bool ok = session.Perform();
    curl_slist_free_all(recipients);
    return ok ? SmtpResult{true, session.LastReply()} : SmtpResult{false, session.Error()};
}

}  // namespace nuvaro::plugin
