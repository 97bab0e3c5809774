#include "core/curl_session.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>

#include "core/loopback.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

std::atomic<bool> g_cancelled{false};

struct Collected {
    std::string* answer;
    size_t max;
};

size_t Collect(char* data, size_t size, size_t count, void* userdata) {
    auto* to = static_cast<Collected*>(userdata);
    const size_t n = size * count;
    if (to->answer->size() < to->max)
        to->answer->append(data, std::min(n, to->max - to->answer->size()));
    return n;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace

CurlSession::CurlSession(long connectTimeout, long totalTimeout, const std::string& caFile) {
    InitCurlOnce();
    m_curl = curl_easy_init();
    if (!m_curl) throw std::runtime_error("curl_easy_init failed");
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, connectTimeout);
    curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, totalTimeout);
    curl_easy_setopt(m_curl, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.empty()) curl_easy_setopt(m_curl, CURLOPT_CAINFO, caFile.c_str());
    // The debug callback sees the server's replies; nothing is printed.
    curl_easy_setopt(m_curl, CURLOPT_DEBUGFUNCTION, &CurlSession::OnDebug);
    curl_easy_setopt(m_curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, &CurlSession::OnProgress);
    curl_easy_setopt(m_curl, CURLOPT_XFERINFODATA, this);
    // A cancelled transfer does not wait for a name look-up still running.
    curl_easy_setopt(m_curl, CURLOPT_QUICK_EXIT, 1L);
}

void CurlSession::CancelAll() { g_cancelled = true; }

int CurlSession::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* session = static_cast<const CurlSession*>(self);
    return g_cancelled || (session->m_cancel && *session->m_cancel) ? 1 : 0;
}

CurlSession::~CurlSession() { curl_easy_cleanup(m_curl); }

int CurlSession::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    if (type != CURLINFO_HEADER_IN) return 0;
    std::string line(data, size);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    // HTTP header lines after the status line are not replies.
    auto* session = static_cast<CurlSession*>(self);
    bool httpHeader = line.rfind("HTTP/", 0) != 0 && !session->m_lastReply.empty() &&
                      session->m_lastReply.rfind("HTTP/", 0) == 0;
    if (line.empty() || httpHeader) return 0;
    session->m_lastReply = line;
    // SMTP answers a refusal with 4xx/5xx and then says goodbye: the refusal is the news.
    if (line[0] == '4' || line[0] == '5') session->m_refusal = line;
    return 0;
}

bool CurlSession::Perform() {
    m_errorBuffer[0] = '\0';
    m_result = g_cancelled ? CURLE_ABORTED_BY_CALLBACK : curl_easy_perform(m_curl);
    return m_result == CURLE_OK;
}

long CurlSession::ResponseCode() const {
    long code = 0;
    curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

bool CurlSession::FailureMayPass() const {
    // The program exits: a notice it keeps is tried again at the next start.
    if (m_result == CURLE_ABORTED_BY_CALLBACK) return true;
    // A refusal in so many words: 4xx for now, 5xx for good.
    if (!m_refusal.empty()) return m_refusal[0] == '4';
    switch (m_result) {
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_PARTIAL_FILE:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_AGAIN:
            return true;
        default:
            return false;
    }
}

std::string CurlSession::Error() const {
    if (m_result == CURLE_ABORTED_BY_CALLBACK && g_cancelled) return text::kSendShutDown;
    std::string error = curl_easy_strerror(m_result);
    if (m_errorBuffer[0] != '\0' && error != m_errorBuffer)
        error += " (" + std::string(m_errorBuffer) + ")";
    const std::string& reply = m_refusal.empty() ? m_lastReply : m_refusal;
    if (!reply.empty()) error += "; " + reply;
    return error;
}

bool PerformHttp(CurlSession& session, const HttpCall& call, std::string& answer,
                 size_t maxAnswer) {
    CURL* curl = session.handle();
    curl_easy_setopt(curl, CURLOPT_URL, call.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    NoProxyToLoopback(curl, call.url);
    curl_slist* headers = nullptr;
    for (const auto& header : call.headers) headers = curl_slist_append(headers, header.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (call.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, call.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(call.body.size()));
    } else if (call.method != "GET") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, call.method.c_str());
    }
    Collected collected{&answer, maxAnswer};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &collected);
    const bool done = session.Perform();
    curl_slist_free_all(headers);
    return done;
}

}  // namespace nuvaro
