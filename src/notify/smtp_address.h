#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/loopback.h"
#include "notify/account_text.h"

namespace nuvaro {

// The mail server as the account gives it, read once; the connection goes to exactly the host
// that the loopback test looked at.
struct SmtpServer {
    bool implicitTls = false;  // "smtps://", or port 465
    std::string host;          // without brackets; a loopback name without its final dot
    long port = 25;
    bool ipLiteral = false;  // an IPv4 or IPv6 address rather than a name
    bool ipv6 = false;
    bool loopback = false;    // this machine: a password may go in the clear
    bool requireTls = false;  // STARTTLS chosen: a server that does not offer it is refused
};

// `server` is "[smtp://|smtps://]host[:port][/]" (UTF-8); a path, query, fragment or user part
// is refused (nullopt), as is anything else that is not a host. IPv6 addresses stand in
// brackets, or bare when no port follows. The port field, when it holds a port, wins over the
// port in the server text; without either the port is 465 for smtps, else 25.
// `security` is the account's choice (email.inf's "Security"): "SSL" speaks TLS from the first
// byte on any port; "STARTTLS" upgrades on any port, also 465, and requires the upgrade (a
// server written "smtps://" still speaks TLS at once); empty or unknown: the port decides.
std::optional<SmtpServer> ParseSmtpServer(std::string_view server, std::string_view portField,
                                          std::string_view security = {});

// The URL handed to libcurl, built from the parsed parts; its path is the name we greet with.
std::string SmtpUrl(const SmtpServer& server, std::string_view greeting);

// The libcurl address pin ("host:port:127.0.0.1,::1") that keeps a loopback name on this
// machine whatever a resolver says of it; empty for addresses and other hosts.
std::string LoopbackPin(const SmtpServer& server);

// The address the account's mail comes from: the account name when it is an address, else the
// name at the server's host, else nuvaro at this machine.
std::string SenderAddress(const MailAccount& account);

}  // namespace nuvaro
