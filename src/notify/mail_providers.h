#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nuvaro {

// How the mail account's connection is secured, as the key "Security" of email.inf holds it.
// Without the key (kMailSecurityAuto) the port decides, as it always did: 465 speaks TLS from
// the first byte, any other port is asked for STARTTLS.
inline constexpr const char* kMailSecurityAuto = "";
inline constexpr const char* kMailSecuritySsl = "SSL";            // TLS from the first byte
inline constexpr const char* kMailSecurityStartTls = "STARTTLS";  // plain, then upgraded

// A mail service whose SMTP settings the sender dialog fills in when it is chosen.
struct MailProvider {
    const char* name;      // as the list shows it
    const char* server;    // empty: the user types it (the last entry, "自定义")
    const char* port;      // text, as email.inf keeps it
    const char* security;  // kMailSecuritySsl or kMailSecurityStartTls
    const char* note;      // what the password field wants (an authorization code, ...)
};

// The services in the order the list shows them; the last one is "自定义" (typed by hand).
const std::vector<MailProvider>& MailProviders();

// The index of the provider whose server `server` is (case and outer blanks ignored, an
// "smtp://" or "smtps://" in front allowed); the index of "自定义" for any other server.
size_t ProviderOfServer(std::string_view server);

// `text` as a security value (case ignored, blanks around allowed); nullopt when it is none.
std::optional<std::string> ParseMailSecurity(std::string_view text);

}  // namespace nuvaro
