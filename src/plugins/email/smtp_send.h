#pragma once

#include <string>

#include "notify/account_text.h"
#include "notify/smtp_address.h"

namespace nuvaro::plugin {

struct SmtpOptions {
    long connectTimeout = 15;
    long totalTimeout = 60;
    std::string caFile;  // certificates to trust instead of the system's (a private server)
};

struct SmtpResult {
    bool ok = false;
    bool mayPass = false;  // failed, but another try may succeed
    std::string detail;    // the server's reply, or the error
};

// Sends one composed mail to one recipient over SMTP. Every text here is UTF-8.
// Security: an smtps server, or port 465, is TLS from the first byte; any other server is asked
// for STARTTLS and used in the clear only when it does not offer it, except that a password
// never goes in the clear to a host that is not this machine's loopback; a server whose account
// chose STARTTLS must upgrade. The connection goes to
// the parsed host itself (a loopback name is pinned to this machine's addresses). Certificates
// are always verified.
SmtpResult SendOverSmtp(const SmtpServer& server, const MailAccount& account,
                        const SmtpOptions& options, const std::string& from, const std::string& to,
                        const std::string& message);

}  // namespace nuvaro::plugin
