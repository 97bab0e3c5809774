#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace nuvaro::testing {

// Holds requests in a server handler until released (at the latest when it is destroyed), so
// a test can end a fetch while the server keeps it waiting.
class Gate {
  public:
    ~Gate() { Open(); }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::seconds(60), [this] { return m_open; });
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
};

// An address on 127.0.0.1 where nothing listens: a port bound and released again.
inline std::string ClosedPortUrl(const std::string& path) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + path;
}

}  // namespace nuvaro::testing
