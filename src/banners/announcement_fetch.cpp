#include "banners/announcement_fetch.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>

#include "core/loopback.h"

namespace nuvaro {
namespace {

constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";
constexpr const char* kAccept = "Accept: text/html, */*";

struct Transfer {
    std::string body;
    size_t limit = 0;
    bool tooLarge = false;
    FetchCancel* cancel = nullptr;
};

size_t OnWrite(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    size_t n = size * count;
    if (t->body.size() + n > t->limit) {
        t->tooLarge = true;
        return 0;  // ends the transfer with a write error
    }
    t->body.append(data, n);
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    return t->cancel && t->cancel->Cancelled() ? 1 : 0;
}

// Hosts reached without a proxy: loopback always, beside the user's own exceptions, which the
// option would otherwise replace. The variables are looked up in the order libcurl uses.
std::string NoProxyList() {
    constexpr std::string_view kLoopback = "127.0.0.1,localhost,::1";
    const char* user = std::getenv("no_proxy");
    if (!user) user = std::getenv("NO_PROXY");
    if (!user || !*user) return std::string(kLoopback);
    std::string list(user);
    // "*" excepts every host only when it stands alone.
    if (list.find_first_not_of(" \t*") == std::string::npos) return list;
    return list + "," + std::string(kLoopback);
}

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
    void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

void Configure(CURL* easy, const std::string& url, const FetchOptions& options, Transfer& t,
               curl_slist* headers) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, NoProxyList().c_str());  // libcurl keeps a copy
    NoProxyToLoopback(easy, url);
#if LIBCURL_VERSION_NUM >= 0x075700
    // A cancel during a name look-up must not wait for the resolver thread to finish it.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
#endif
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &t);
}

// Runs the transfer until it ends or is cancelled; returns its result code.
CURLcode Run(CURLM* multi, FetchCancel* cancel) {
    int running = 1;
    while (running) {
        if (cancel && cancel->Cancelled()) return CURLE_ABORTED_BY_CALLBACK;
        if (curl_multi_perform(multi, &running) != CURLM_OK) return CURLE_FAILED_INIT;
        if (running && curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
    }
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
        if (msg->msg == CURLMSG_DONE) return msg->data.result;
    }
    return CURLE_FAILED_INIT;
}

}  // namespace

void FetchCancel::Cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_multi) curl_multi_wakeup(static_cast<CURLM*>(m_multi));
}

bool FetchCancel::Attach(void* multiHandle) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled) return false;
    m_multi = multiHandle;
    return true;
}

void FetchCancel::Detach() {
    std::lock_guard lock(m_mutex);
    m_multi = nullptr;
}

FetchResult FetchAnnouncement(const std::string& url, FetchCancel* cancel,
                              const FetchOptions& options) {
    FetchResult result;
    Transfer t{{}, options.maxBodyBytes, false, cancel};
    static std::once_flag globalInit;
    std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    // Declared so that the header list outlives the handles that refer to it.
    std::unique_ptr<curl_slist, ListDeleter> headers(curl_slist_append(nullptr, kAccept));
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi || !headers) {
        result.error = "cannot set up the transfer";
        return result;
    }
    Configure(easy.get(), url, options, t, headers.get());
    curl_multi_add_handle(multi.get(), easy.get());
    CURLcode code = CURLE_ABORTED_BY_CALLBACK;
    if (!cancel || cancel->Attach(multi.get())) {
        code = Run(multi.get(), cancel);
        if (cancel) cancel->Detach();
    }
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    curl_multi_remove_handle(multi.get(), easy.get());

    if (code != CURLE_OK) {
        result.error = t.tooLarge ? "reply too large" : curl_easy_strerror(code);
    } else if (status < 200 || status > 299) {
        result.error = "HTTP status " + std::to_string(status);
    } else {
        result.ok = true;
        result.body = std::move(t.body);
    }
    return result;
}

}  // namespace nuvaro
