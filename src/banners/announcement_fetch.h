#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>

namespace nuvaro {

// Ends a running fetch from another thread, at once rather than at its next time-out.
class FetchCancel {
  public:
    void Cancel();
    bool Cancelled() const { return m_cancelled.load(); }

    // For the fetch: the transfer to wake on Cancel. Attach returns false when already
    // cancelled; Detach must come before the transfer is freed.
    bool Attach(void* multiHandle);
    void Detach();

  private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    void* m_multi = nullptr;
};

struct FetchOptions {
    long connectTimeoutMs = 10000;
    long totalTimeoutMs = 30000;
    // A larger body is a failure: an announcement is a few lines.
    size_t maxBodyBytes = 1 << 20;
};

struct FetchResult {
    bool ok = false;
    std::string body;   // the reply's bytes as sent
    std::string error;  // why it failed, for diagnostics
};

// One plain GET of `url` (http or https only, no redirects followed). Anything but a 2xx reply
// is a failure, as are a time-out and a cancel.
FetchResult FetchAnnouncement(const std::string& url, FetchCancel* cancel = nullptr,
                              const FetchOptions& options = {});

}  // namespace nuvaro
