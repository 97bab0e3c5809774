#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/gbk_text.h"
#include "monitor/condition_verdict.h"
#include "monitor/page_reader.h"
#include "monitor/site_gate.h"
#include "services/engine_clock.h"
#include "services/notices.h"

namespace nuvaro {

class PageSource;
class RunState;
class TConfig;
class TConfigTable;

// What starts a run of the cycle: the window's timer, or its "刷新网页" button (a manual test).
enum class TickKind { Timer, Test };

// A window's controls as the cycle reads them at the moment they are needed.
struct ControlTexts {
    std::string name, url, refresh;  // as typed (what GBK can hold of it)
    std::string urlUtf8;             // the address box exactly (the default page compares it)
    bool sms = false, email = false, other = false, push = false;
};

// One monitoring window's controls and browser; the GUI implements it for each open window.
class WindowControls {
  public:
    virtual ~WindowControls() = default;
    virtual ControlTexts Read() const = 0;
    virtual PageSource* Source() = 0;
    // The start/stop button's caption follows the run state.
    virtual void ShowMonitoring(bool on) = 0;
};

// What a window did last, for the status shown beside it.
struct WindowStatus {
    // NoNumber, NoElement: the condition could not read what it judges; a failing tick.
    // Waiting: the site asked to wait (429, 503); neither a good nor a failing tick.
    enum class Last { None, NothingFound, Repeat, Change, Error, NoNumber, NoElement, Waiting };
    using WallTime = std::chrono::system_clock::time_point;
    bool monitoring = false;
    bool working = false;
    Last last = Last::None;
    std::optional<WallTime> lastCheck;  // when the last run ended
    std::optional<WallTime> nextCheck;  // while monitoring
    GbkText lastFound;
    GbkText previousFound;  // at a change: the found text notified before
    std::string lastError;  // UTF-8
    std::optional<WallTime> lastErrorTime;
    int failuresInRow = 0;
    std::optional<WallTime> waitUntil;  // the window's site asked to wait until then
};

// The monitoring cycle of all windows: start and stop, the ticks of the windows' timers and
// the manual tests. Reload, wait and read never block; whatever the cycle shows is posted, so
// no box holds up another window or the next tick. A window's run is "in progress" only while
// it works (reload, wait, read, match, hand-off to the dispatch), and at most one box that a
// tick left is open per window; every error also goes to Log/errorlog.txt.
class MonitorEngine {
  public:
    static constexpr int kWindows = 30;
    // Hands one window's change to the notification channels, with the found text notified
    // before it and the number read (empty without a rule about values); may throw (a missing
    // plug-in).
    using Dispatch = std::function<void(const TConfig& slot, const GbkText& found,
                                        const GbkText& previous, const GbkText& value)>;

    MonitorEngine(TConfigTable& configs, EngineClock& clock, Notices& notices, Dispatch dispatch);
    ~MonitorEngine();
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // Window n opened (its controls live until Detach) or closed. A closed window stops
    // monitoring and its run ends quietly.
    void Attach(int n, WindowControls& controls);
    void Detach(int n);

    // The start/stop button. On an added window a refresh time that is no whole number of
    // minutes is raised (before anything else), on start and on stop alike.
    void StartStop(int n);
    // Starting without the messages of the button (several windows at once): whether the
    // window monitors now, the minutes as its message shows them, or why it could not start
    // (UTF-8).
    struct StartOutcome {
        bool started = false;
        std::string minutes;
        std::string why;
    };
    StartOutcome Start(int n);
    void Stop(int n);
    // A run of the cycle now: a tick (skipped while the window's run is in progress), or a
    // manual test (run as soon as a run in progress has ended).
    void Run(int n, TickKind kind);
    // The snapshot of an added window's controls into its slot's run-time fields.
    void GetTextNow(int n);

    // Keeps the run state in `state` from now on (null: nothing is kept): starts, stops and
    // every change of a window's last notified text are saved, and the saved texts are taken
    // into the slots now.
    void SetRunState(RunState* state);
    // The window's last notified text and what its rule about values remembers are forgotten,
    // in memory and on disk (a new condition).
    void ForgetLastMatch(int n);
    const NumRuleState& RuleState(int n) const { return m_rules.at(n); }

    bool IsMonitoring(int n) const;
    bool TickInProgress(int n) const;
    // The tick interval, fixed when monitoring started.
    std::chrono::milliseconds Interval(int n) const;
    WindowStatus Status(int n) const;

    // Runs on every change of a window's status.
    std::function<void(int n)> OnStatusChanged;
    // Runs when a run of window n has ended with a verdict or an error (after OnStatusChanged).
    std::function<void(int n, const WindowStatus& status)> OnRunEnded;

    void SetTimeouts(PageReader::Timeouts timeouts) { m_timeouts = timeouts; }
    const PageReader::Timeouts& Timeouts() const { return m_timeouts; }
    // How hard the ticks may press one site: windows of a site wait their turn (see SiteGate),
    // and are not skipped. A reload gives its place up once it is over.
    void SetSiteSettings(SiteSettings settings) { m_sites.SetSettings(settings); }
    int ReloadsUnderWay() const { return m_sites.Loading(); }
    // Windows started together tick apart: each window's beat is put off by a stable share of
    // `spread` (0: not at all).
    void SetTickSpread(std::chrono::milliseconds spread) { m_spread = spread; }

  private:
    struct Window;
    struct ReloadPlan;

    Window* Open(int n);
    const Window* Open(int n) const;
    void StartTimer(Window& w, int n);
    void OnTimer(int n);
    void Begin(int n, TickKind kind);
    bool PlanDefaultPage(TickKind kind, ReloadPlan& plan);
    bool PlanAddedWindow(int n, TickKind kind);
    void AfterRead(int n, TickKind kind, const PageReader::Result& result);
    void Conclude(int n, TickKind kind, const PageContent& page);
    Finding Judge(int n, const Reading& reading);
    void Unsent(int n, TickKind kind, const Reading& reading, const Finding& finding);
    void KeepRule(int n, const NumRuleState& rule);
    void Notify(int n, TickKind kind, const GbkText& found, const GbkText& previous,
                const Finding& finding);
    void TellCrash(int n, TickKind kind);
    void Fail(int n, TickKind kind, const std::string& message, bool errorBox = true);
    void TickBox(int n, TickKind kind, const std::string& text, Notices::Icon icon);
    std::string BoxCaption(int n) const;
    void End(int n);
    void Record(int n, WindowStatus::Last last, const GbkText& found, const std::string& error = {},
                const GbkText& previous = {});
    void Changed(int n);
    void StartReading(int n, TickKind kind, const ReloadPlan& plan);
    void SiteWait(int n, TickKind kind, EngineClock::TimePoint until);
    void Held(int n, EngineClock::TimePoint until);
    std::chrono::system_clock::time_point WallOf(EngineClock::TimePoint at) const;
    // Runs `step` only while window n is still the same open window.
    std::function<void()> Guard(int n, std::function<void()> step);

    TConfigTable& m_configs;
    RunState* m_runState = nullptr;
    EngineClock& m_clock;
    Notices& m_notices;
    Dispatch m_dispatch;
    PageReader::Timeouts m_timeouts;
    SiteGate m_sites{m_clock,
                     SiteSettings{kWindows, std::chrono::seconds(0)}};  // no limits until set
    std::chrono::milliseconds m_spread{0};
    std::array<std::unique_ptr<Window>, kWindows> m_windows;
    std::array<uint64_t, kWindows> m_generation{};
    std::array<NumRuleState, kWindows> m_rules{};
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
