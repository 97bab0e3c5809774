#include "support/smtp_test_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/notify_helpers.h"

extern char** environ;

namespace nuvaro::testing {
namespace {

const char* ModeName(SmtpTestServer::Mode mode) {
    switch (mode) {
        case SmtpTestServer::Mode::Accept:
            return "accept";
        case SmtpTestServer::Mode::RejectRecipient:
            return "reject-rcpt";
        case SmtpTestServer::Mode::TempFail:
            return "tempfail";
        case SmtpTestServer::Mode::Close:
            return "close";
        case SmtpTestServer::Mode::Silent:
            return "silent";
        case SmtpTestServer::Mode::StartTls:
            return "starttls";
        case SmtpTestServer::Mode::ImplicitTls:
            return "smtps";
    }
    return "accept";
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

SmtpTestServer::SmtpTestServer(Mode mode, int port, const std::string& host) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "nuvaro-smtp-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    m_folder = tmpl;

    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string script = std::string(NUVARO_TEST_SCRIPTS) + "/smtp_server.py";
    std::string portText = std::to_string(port);
    const char* argv[] = {"/usr/bin/python3", script.c_str(), ModeName(mode), m_folder.c_str(),
                          portText.c_str(),   host.c_str(),   nullptr};
    int rc = posix_spawn(&m_pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_stdin = in[1];
    if (rc != 0) throw std::runtime_error("cannot start the SMTP test server");

    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    m_port = std::atoi(line.c_str());
    if (m_port <= 0) throw std::runtime_error("the SMTP test server did not start");
}

SmtpTestServer::~SmtpTestServer() {
    if (m_stdin >= 0) close(m_stdin);  // the server stops when its stdin closes
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

std::vector<SmtpTestServer::Message> SmtpTestServer::Messages() const {
    std::vector<Message> messages;
    for (int n = 1;; ++n) {
        std::filesystem::path dir = m_folder + "/msg-" + std::to_string(n);
        if (!std::filesystem::exists(dir)) break;
        Message m;
        m.raw = ReadFile(dir / "raw");
        m.subject = ReadFile(dir / "subject");
        m.body = ReadFile(dir / "body");
        m.to = ReadFile(dir / "to");
        m.rcpt = ReadFile(dir / "rcpt");
        m.mailFrom = ReadFile(dir / "mail_from");
        m.date = ReadFile(dir / "date");
        m.messageId = ReadFile(dir / "message_id");
        m.contentType = ReadFile(dir / "content_type");
        m.login = ReadFile(dir / "login");
        m.password = ReadFile(dir / "password");
        m.tls = ReadFile(dir / "tls") == "1";
        messages.push_back(std::move(m));
    }
    return messages;
}

bool SmtpTestServer::WaitForMessages(size_t count) const {
    return WaitFor([&] { return Messages().size() >= count; });
}

}  // namespace nuvaro::testing
