#include "support/recording_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace nuvaro::testing {
namespace {

int ConnectLoopback(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool SendAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

RecordingProxy::RecordingProxy(int targetPort) : m_targetPort(targetPort) {
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 16) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("proxy cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Serve(); });
}

RecordingProxy::~RecordingProxy() {
    m_stop = true;
    shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    for (auto& tunnel : m_tunnels) tunnel.join();
    close(m_listener);
}

void RecordingProxy::Serve() {
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (poll(&waiting, 1, 100) <= 0) continue;
        int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ++m_connections;
        std::lock_guard lock(m_mutex);
        m_tunnels.emplace_back([this, client] { Tunnel(client); });
    }
}

void RecordingProxy::Tunnel(int client) {
    timeval wait{1, 0};  // a client that never asks does not hold the proxy's end
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string request;
    char buffer[16384];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request.substr(0, request.find("\r\n")));
    }
    int server = request.rfind("CONNECT ", 0) == 0 ? ConnectLoopback(m_targetPort) : -1;
    const char* answer = server >= 0 ? "HTTP/1.1 200 Connection established\r\n\r\n"
                                     : "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n";
    SendAll(client, answer, strlen(answer));
    pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    while (server >= 0 && !m_stop) {
        if (poll(ends, 2, 100) <= 0) continue;
        if (ends[0].revents) {
            ssize_t n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0 || !SendAll(server, buffer, static_cast<size_t>(n))) break;
            std::lock_guard lock(m_mutex);
            m_clientBytes.append(buffer, static_cast<size_t>(n));
        }
        if (ends[1].revents) {
            ssize_t n = recv(server, buffer, sizeof buffer, 0);
            if (n <= 0 || !SendAll(client, buffer, static_cast<size_t>(n))) break;
        }
    }
    if (server >= 0) close(server);
    close(client);
}

std::vector<std::string> RecordingProxy::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string RecordingProxy::ClientBytes() const {
    std::lock_guard lock(m_mutex);
    return m_clientBytes;
}

}  // namespace nuvaro::testing
