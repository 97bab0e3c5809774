#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "services/engine_clock.h"
#include "services/page_source.h"

namespace nuvaro {

// One reload and read of a window's page that never blocks the event loop: after the reload
// it waits at least the pause and until the loads from the one it started on have ended
// (bounded by the load time-out), then while the page is still busy with requests of its own
// or changing its document, until it has been quiet for a moment (bounded by the settle
// time-out), and reads the live body markup as it stands on screen (bounded by the read
// time-out). A page opened again meanwhile (its web process ended) is waited for again, so
// what is read is always the page itself. The browser keeps working meanwhile, which a
// blocking pause would stop.
class PageReader {
  public:
    enum class Reload { None, Refresh, Navigate };
    struct Result {
        // NoAnswer: the reload had no answer from the server within the load time-out (and the
        // page's process answered the read, so the server is the one that is silent).
        enum class Status {
            Read,
            LoadFailed,
            NoAnswer,
            ReadTimedOut,
            NoDocument,
            Unresponsive,
            Abandoned
        };
        Status status = Status::Abandoned;
        PageContent page;        // Read
        std::string error;       // LoadFailed: the engine's message
        int httpStatus = 0;      // of the reload's document, when the server answered
        std::string retryAfter;  // ... and its Retry-After header
    };
    struct Timeouts {
        // Then a page still loading is read as it stands; one without any answer fails.
        std::chrono::milliseconds load{30000};
        std::chrono::milliseconds settle{15000};  // after the load: a page that never settles
        std::chrono::milliseconds quiet{500};     // quiet this long: the page has settled
        std::chrono::milliseconds read{30000};    // a page whose scripts never stop never answers
        std::chrono::milliseconds poll{100};
        std::chrono::milliseconds settlePoll{250};
    };
    using Done = std::function<void(const Result&)>;

    // Reloads as asked and, after `pause`, reads. `done` runs later on the UI thread, exactly
    // once (Abandoned when the source is destroyed first), unless the reader is destroyed
    // first. `loaded` (if any) runs once the reload is over, before the page is read.
    PageReader(PageSource& source, EngineClock& clock, Timeouts timeouts);
    ~PageReader();
    PageReader(const PageReader&) = delete;
    PageReader& operator=(const PageReader&) = delete;

    // What the read asks the page for (the body markup unless set).
    void SetQuery(PageQuery query) { m_query = std::move(query); }
    void Start(Reload how, const std::string& url, std::chrono::milliseconds pause, Done done,
               std::function<void()> loaded = {});

  private:
    enum class Phase { Loading, Settling, Reading };
    void OnTimer();
    uint64_t Telling() const;
    bool StillLoading() const;
    bool Unanswered() const;
    void Loaded();
    void WaitAgain();
    void Settle();
    void Read();
    void Finish(Result result);
    void Finish(Result::Status status);

    PageSource* m_source;
    PageQuery m_query;
    std::weak_ptr<bool> m_sourceAlive;
    EngineClock& m_clock;
    Timeouts m_timeouts;
    OneShot m_timer;
    uint64_t m_loadsBefore = 0;
    bool m_reloaded = false;
    int m_restarts = 0;  // waits for a page opened again
    Phase m_phase = Phase::Loading;
    bool m_asking = false;      // a question about quiet is under way
    bool m_unanswered = false;  // the reload had no answer from the server by the load time-out
    int m_httpStatus = 0;
    std::string m_retryAfter;
    EngineClock::TimePoint m_started;
    EngineClock::TimePoint m_settleUntil;
    Done m_done;
    std::function<void()> m_loaded;
    std::shared_ptr<PageReader*> m_self;  // lets a late read answer find out that this is gone
};

}  // namespace nuvaro
