#include "email/smtp_send.h"

#include "core/curl_session.h"
#include "core/system.h"
#include "core/text_util.h"

namespace nuvaro::plugin {
namespace {

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

namespace {

// Where and how to connect and log in; returns the loopback pin list the handle uses, which the
// caller frees after the transfer.
curl_slist* SetUpConnection(CURL* curl, const SmtpServer& server, const MailAccount& account) {
    // The path names the domain we greet the server with.
    std::string url = SmtpUrl(server, HostName());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    // Mail to this machine may go in the clear: never through a proxy to another one. Through
    // a proxy to another machine, the password goes only over TLS (below).
    if (server.loopback) curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_slist* pin = nullptr;
    if (std::string entry = LoopbackPin(server); !entry.empty()) {
        pin = curl_slist_append(nullptr, entry.c_str());
        curl_easy_setopt(curl, CURLOPT_RESOLVE, pin);
    }

    bool authenticate = !TrimControls(account.user).empty();
    if (!server.implicitTls) {
        bool mustEncrypt = server.requireTls || (authenticate && !server.loopback);
        curl_easy_setopt(curl, CURLOPT_USE_SSL, mustEncrypt ? CURLUSESSL_ALL : CURLUSESSL_TRY);
    }
    if (authenticate) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, account.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account.password.c_str());
    }
    return pin;
}

}  // namespace

SmtpResult SendOverSmtp(const SmtpServer& server, const MailAccount& account,
                        const SmtpOptions& options, const std::string& from, const std::string& to,
                        const std::string& message) {
    CurlSession session(options.connectTimeout, options.totalTimeout, options.caFile);
    CURL* curl = session.handle();
    curl_slist* pin = SetUpConnection(curl, server, account);

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
    curl_slist_free_all(pin);
    if (ok) return {true, false, session.LastReply()};
    return {false, session.FailureMayPass(), session.Error()};
}

}  // namespace nuvaro::plugin
