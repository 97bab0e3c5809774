#pragma once

#include <wx/timer.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gtk/web_browser.h"

namespace nuvaro {

// One reload and read of a window's page that never blocks the event loop: after the reload
// it waits at least `pauseMs` and until the load it started has finished (bounded by the load
// time-out), then reads the live body markup. The browser keeps working meanwhile, which a
// blocking pause would stop.
class PageRefresh {
public:
    enum class Reload { None, Refresh, Navigate };
    struct Result {
        enum class Status { Read, LoadFailed, ReadTimedOut, Abandoned } status = Status::Abandoned;
        PageContent page;   // Read
        std::string error;  // LoadFailed: the engine's message (GBK)
    };
    using Done = std::function<void(const Result&)>;

    // Starts the refresh; `done` runs later on the UI thread, exactly once (Abandoned when the
    // browser is destroyed first).
    static void Start(WebBrowser& browser, Reload how, const std::string& url, int pauseMs,
                      Done done);

    // How long a load may take before the page is read as it stands.
    static void SetLoadTimeout(std::chrono::milliseconds timeout);
    // How long the page may take to answer the read (a page whose scripts never stop does not).
    static void SetReadTimeout(std::chrono::milliseconds timeout);

private:
    PageRefresh(WebBrowser& browser, Done done);
    void OnTimer();
    bool StillLoading() const;
    void Read();
    void Finish(Result result);

    WebBrowser* m_browser;
    std::weak_ptr<bool> m_browserAlive;
    uint64_t m_loadsBefore = 0;
    bool m_reloaded = false;
    bool m_reading = false;
    std::chrono::steady_clock::time_point m_started;
    wxTimer m_timer;
    Done m_done;
    std::shared_ptr<PageRefresh> m_self;  // alive until finished
};

}  // namespace nuvaro
