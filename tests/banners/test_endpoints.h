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
// a test can end a fetch while the server keeps it waiting. Destroying it releases the
// waiting threads and waits until they have left.
class Gate {
  public:
    ~Gate() {
        std::unique_lock lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
        m_cv.wait(lock, [this] { return m_waiting == 0; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    void Wait() {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_cv.wait_for(lock, std::chrono::seconds(60), [this] { return m_open; });
        --m_waiting;
        m_cv.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
    int m_waiting = 0;
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
