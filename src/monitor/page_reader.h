#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "monitor/engine_clock.h"
#include "monitor/page_source.h"

namespace nuvaro {

// One reload and read of a window's page that never blocks the event loop: after the reload
// it waits at least the pause and until the load it started has finished (bounded by the load
// time-out), then reads the live body markup (bounded by the read time-out). The browser keeps
// working meanwhile, which a blocking pause would stop.
class PageReader {
public:
    enum class Reload { None, Refresh, Navigate };
    struct Result {
        enum class Status { Read, LoadFailed, ReadTimedOut, NoDocument, Abandoned };
        Status status = Status::Abandoned;
        PageContent page;   // Read
        std::string error;  // LoadFailed: the engine's message (GBK)
    };
    struct Timeouts {
        std::chrono::milliseconds load{30000};  // then the page is read as it stands
        std::chrono::milliseconds read{30000};  // a page whose scripts never stop never answers
        std::chrono::milliseconds poll{100};
    };
    using Done = std::function<void(const Result&)>;

    // Reloads as asked and, after `pause`, reads. `done` runs later on the UI thread, exactly
    // once (Abandoned when the source is destroyed first), unless the reader is cancelled or
    // destroyed first.
    PageReader(PageSource& source, EngineClock& clock, Timeouts timeouts);
    ~PageReader();
    PageReader(const PageReader&) = delete;
    PageReader& operator=(const PageReader&) = delete;

    void Start(Reload how, const std::string& url, std::chrono::milliseconds pause, Done done);

private:
    void OnTimer();
    bool StillLoading() const;
    void Read();
    void Finish(Result result);

    PageSource* m_source;
    std::weak_ptr<bool> m_sourceAlive;
    EngineClock& m_clock;
    Timeouts m_timeouts;
    OneShot m_timer;
    uint64_t m_loadsBefore = 0;
    bool m_reloaded = false;
    bool m_reading = false;
    EngineClock::TimePoint m_started;
    Done m_done;
    std::shared_ptr<PageReader*> m_self;  // lets a late read answer find out that this is gone
};

}  // namespace nuvaro
