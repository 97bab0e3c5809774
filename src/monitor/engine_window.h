#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "monitor/monitor_engine.h"
#include "monitor/page_reader.h"
#include "services/engine_clock.h"

namespace nuvaro {

class PageSource;

// What the engine keeps of one window; shared by the files of the engine only.
struct MonitorEngine::Window {
    Window(EngineClock& clock, WindowControls& c) : controls(&c), timer(clock) {}
    WindowControls* controls;
    OneShot timer;
    bool monitoring = false;
    std::chrono::milliseconds interval{0};
    EngineClock::TimePoint nextDue;
    bool working = false;      // a run is in progress
    bool testWaiting = false;  // a manual test asked for while it ran
    bool boxOpen = false;      // a box a tick left is still open
    TickKind runKind = TickKind::Timer;
    std::string site;                            // of the page the run loads
    std::optional<EngineClock::TimePoint> told;  // the site's wait the log has of this window
    bool recorded = false;                       // the run has a verdict or an error to tell
    PageSource* source = nullptr;
    std::unique_ptr<PageReader> reader;
    WindowStatus status;
};

// How a run reloads its page and how long it pauses before reading it.
struct MonitorEngine::ReloadPlan {
    PageReader::Reload how = PageReader::Reload::Refresh;
    std::string url;
    std::chrono::milliseconds pause{1000};  // a tick's; a test of the default page waits longer
};

}  // namespace nuvaro
