#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace nuvaro::testing {

// A real HTTP server on 127.0.0.1 (cpp-httplib) on its own thread, for pages, gateways and
// announcement endpoints in tests.
class LocalHttpServer {
  public:
    struct Request {
        std::string method, path, query, body;
        std::vector<std::pair<std::string, std::string>> headers, params;
        std::string Param(const std::string& name) const;
        std::string Header(const std::string& name) const;
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    LocalHttpServer();
    // An HTTPS server with this certificate and key (PEM files).
    LocalHttpServer(const std::string& certFile, const std::string& keyFile);
    ~LocalHttpServer();

    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;

    void Get(const std::string& pattern, Handler handler);
    void Post(const std::string& pattern, Handler handler);
    // Serves `body` (UTF-8 HTML unless told otherwise) at `path`; replaces an earlier one.
    // Register a new path (and every handler) before the first request reaches the server.
    void SetPage(const std::string& path, std::string body,
                 std::string contentType = "text/html; charset=utf-8");

    std::vector<Request> Requests() const;
    size_t RequestCount(const std::string& path) const;

  private:
    void Start();
    void Record(const httplib::Request& req);
    void WaitForAnswered(std::unique_lock<std::mutex>& lock) const;

    std::unique_ptr<httplib::Server> m_server;
    std::unique_ptr<std::thread> m_thread;
    int m_port = 0;
    std::string m_scheme = "http";
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_recorded;
    size_t m_arrived = 0;
    std::map<const void*, size_t> m_arrival;  // request being answered -> its place in arrival
    std::vector<Request> m_requests;          // in the order they arrived
    std::vector<size_t> m_places;
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> m_pages;
};

}  // namespace nuvaro::testing
