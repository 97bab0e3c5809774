#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nuvaro::testing {

// An HTTP proxy on 127.0.0.1 that records every connection made to it and everything sent
// through it. A CONNECT to any host and port is tunnelled to 127.0.0.1:`targetPort`, so a
// server of the test stands in for a machine elsewhere.
class RecordingProxy {
  public:
    explicit RecordingProxy(int targetPort);
    ~RecordingProxy();
    RecordingProxy(const RecordingProxy&) = delete;
    RecordingProxy& operator=(const RecordingProxy&) = delete;

    int Port() const { return m_port; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    int Connections() const { return m_connections; }
    // The requests that opened tunnels ("CONNECT mail.example.test:25 ..."), and all the bytes
    // the clients sent through them.
    std::vector<std::string> Requests() const;
    std::string ClientBytes() const;

  private:
    void Serve();
    void Tunnel(int client);

    int m_targetPort;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_connections{0};
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::string m_clientBytes;
    std::vector<std::thread> m_tunnels;
    std::thread m_thread;
};

}  // namespace nuvaro::testing
