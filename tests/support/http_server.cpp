#include "support/http_server.h"

#include <httplib.h>
#include <strings.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <stdexcept>

namespace nuvaro::testing {

std::string LocalHttpServer::Request::Param(const std::string& name) const {
    for (const auto& [k, v] : params) {
        if (k == name) return v;
    }
    return {};
}

std::string LocalHttpServer::Request::Header(const std::string& name) const {
    for (const auto& [k, v] : headers) {
        if (strcasecmp(k.c_str(), name.c_str()) == 0) return v;
    }
    return {};
}

LocalHttpServer::LocalHttpServer() : m_server(std::make_unique<httplib::Server>()) { Start(); }

void LocalHttpServer::Start() {
    // A request is counted when it arrives and recorded whole once answered; readers wait for
    // the answered ones, so a client that has its reply always sees its request.
    m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard lock(m_mutex);
        m_arrival[&req] = m_arrived++;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->set_logger(
        [this](const httplib::Request& req, const httplib::Response&) { Record(req); });
    // Idle browser connections are let go soon, so the server stops without a long wait.
    m_server->set_keep_alive_timeout(1);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) throw std::runtime_error("cannot bind a port on 127.0.0.1");
    m_thread = std::make_unique<std::thread>([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalHttpServer::~LocalHttpServer() {
    m_server->stop();
    if (m_thread && m_thread->joinable()) m_thread->join();
}

std::string LocalHttpServer::Url(const std::string& path) const {
    return m_scheme + "://127.0.0.1:" + std::to_string(m_port) + path;
}

void LocalHttpServer::Get(const std::string& pattern, Handler handler) {
    m_server->Get(pattern, std::move(handler));
}

void LocalHttpServer::Post(const std::string& pattern, Handler handler) {
    m_server->Post(pattern, std::move(handler));
}

void LocalHttpServer::SetPage(const std::string& path, std::string body, std::string contentType) {
    {
        std::lock_guard lock(m_mutex);
        for (auto& [p, page] : m_pages) {
            if (p == path) {
                page = {std::move(body), std::move(contentType)};
                return;
            }
        }
        m_pages.push_back({path, {std::move(body), std::move(contentType)}});
    }
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    std::string pattern = std::regex_replace(path, special, R"(\$&)");
    m_server->Get(pattern, [this, path](const httplib::Request&, httplib::Response& res) {
        std::lock_guard lock(m_mutex);
        for (const auto& [p, page] : m_pages) {
            if (p == path) res.set_content(page.first, page.second.c_str());
        }
    });
}

void LocalHttpServer::Record(const httplib::Request& req) {
    Request r;
    r.method = req.method;
    r.path = req.path;
    r.body = req.body;
    auto q = req.target.find('?');
    if (q != std::string::npos) r.query = req.target.substr(q + 1);
    for (const auto& [k, v] : req.headers) r.headers.emplace_back(k, v);
    for (const auto& [k, v] : req.params) r.params.emplace_back(k, v);
    std::lock_guard lock(m_mutex);
    // Answers may be logged out of turn (one handler's thread waits, the next one's runs): each
    // request takes its place by arrival.
    size_t place = m_arrived;
    if (auto it = m_arrival.find(&req); it != m_arrival.end()) {
        place = it->second;
        m_arrival.erase(it);
    }
    auto at = std::upper_bound(m_places.begin(), m_places.end(), place);
    m_requests.insert(m_requests.begin() + (at - m_places.begin()), std::move(r));
    m_places.insert(at, place);
    m_recorded.notify_all();
}

void LocalHttpServer::WaitForAnswered(std::unique_lock<std::mutex>& lock) const {
    m_recorded.wait_for(lock, std::chrono::seconds(5),
                        [this] { return m_requests.size() >= m_arrived; });
}

std::vector<LocalHttpServer::Request> LocalHttpServer::Requests() const {
    std::unique_lock lock(m_mutex);
    WaitForAnswered(lock);
    return m_requests;
}

size_t LocalHttpServer::RequestCount(const std::string& path) const {
    std::unique_lock lock(m_mutex);
    WaitForAnswered(lock);
    size_t n = 0;
    for (const auto& r : m_requests) n += r.path == path;
    return n;
}

}  // namespace nuvaro::testing
