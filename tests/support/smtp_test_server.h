#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace nuvaro::testing {

// A real SMTP server (aiosmtpd, tests/scripts/smtp_server.py) on 127.0.0.1, in its own process
// for the life of the object.
class SmtpTestServer {
  public:
    enum class Mode { Accept, RejectRecipient, TempFail, Close, Silent, StartTls, ImplicitTls };

    // `port` 0: any free port. `host`: the loopback address to listen on ("::1" for IPv6).
    explicit SmtpTestServer(Mode mode = Mode::Accept, int port = 0,
                            const std::string& host = "127.0.0.1");
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    int Port() const { return m_port; }
    // The server's self-signed certificate (TLS modes).
    std::string CertFile() const { return m_folder + "/cert.pem"; }

    struct Message {
        std::string raw, subject, body, to, rcpt, mailFrom, date, messageId, contentType;
        std::string login, password;
        bool tls = false;
    };
    // The messages received so far, in order.
    std::vector<Message> Messages() const;
    // Polls until `count` messages arrived; false after the time-out.
    bool WaitForMessages(size_t count) const;

  private:
    std::string m_folder;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_port = 0;
};

}  // namespace nuvaro::testing
