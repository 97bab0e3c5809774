#include "monitor/monitor_engine.h"

#include <stdexcept>

#include "config/config_table.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/cycle_rules.h"
#include "monitor/engine_window.h"
#include "monitor/load_reason.h"
#include "monitor/monitor_log.h"
#include "monitor/run_state.h"
#include "services/page_source.h"

namespace nuvaro {
namespace {

using std::chrono::milliseconds;

// The conversion error of a refresh time that is no whole number of minutes.
std::runtime_error BadMinutes(const std::string& minutes) {
    std::string message = text::kBadRefreshMinutes;
    message.replace(message.find("%s"), 2, minutes);
    return std::runtime_error(message);
}

}  // namespace

MonitorEngine::MonitorEngine(TConfigTable& configs, EngineClock& clock, Notices& notices,
                             Dispatch dispatch)
    : m_configs(configs), m_clock(clock), m_notices(notices), m_dispatch(std::move(dispatch)) {}

MonitorEngine::~MonitorEngine() = default;

MonitorEngine::Window* MonitorEngine::Open(int n) {
    return n >= 0 && n < kWindows ? m_windows[n].get() : nullptr;
}

const MonitorEngine::Window* MonitorEngine::Open(int n) const {
    return const_cast<MonitorEngine*>(this)->Open(n);
}

std::function<void()> MonitorEngine::Guard(int n, std::function<void()> step) {
    return [this, alive = std::weak_ptr<bool>(m_alive), n, generation = m_generation[n],
            step = std::move(step)] {
        if (alive.expired() || m_generation[n] != generation || !m_windows[n]) return;
        step();
    };
}

void MonitorEngine::Attach(int n, WindowControls& controls) {
    if (n < 0 || n >= kWindows) return;
    Detach(n);
    m_windows[n] = std::make_unique<Window>(m_clock, controls);
    Changed(n);
}

void MonitorEngine::Detach(int n) {
    Window* w = Open(n);
    if (!w) return;
    m_sites.Release(n);
    TConfig& slot = m_configs[SlotOf(n)];
    if (slot.Browser == w->controls->Source()) slot.Browser = nullptr;
    ++m_generation[n];
    m_windows[n].reset();
}

void MonitorEngine::SetRunState(RunState* state) {
    m_runState = state;
    if (!state) return;
    for (int slot = 1; slot <= TConfigTable::kSlots; ++slot) {
        m_configs[slot].LastMatch = state->LastMatch(slot).text;
    }
    for (int n = 0; n < kWindows; ++n) m_rules[n] = state->RuleState(SlotOf(n));
}

void MonitorEngine::ForgetLastMatch(int n) {
    if (n < 0 || n >= kWindows) return;
    m_configs[SlotOf(n)].LastMatch.clear();
    m_rules[n] = {};
    if (!m_runState) return;
    RunState::Hold hold(*m_runState);
    m_runState->ClearLastMatch(SlotOf(n));
    m_runState->SetRuleState(SlotOf(n), {});
}

bool MonitorEngine::IsMonitoring(int n) const {
    const Window* w = Open(n);
    return w && w->monitoring;
}

bool MonitorEngine::TickInProgress(int n) const {
    const Window* w = Open(n);
    return w && w->working;
}

milliseconds MonitorEngine::Interval(int n) const {
    const Window* w = Open(n);
    return w ? w->interval : milliseconds{0};
}

WindowStatus MonitorEngine::Status(int n) const {
    const Window* w = Open(n);
    if (!w) return {};
    WindowStatus status = w->status;
    status.monitoring = w->monitoring;
    status.working = w->working;
    status.nextCheck.reset();
    if (w->monitoring) {
        auto left = std::chrono::duration_cast<std::chrono::system_clock::duration>(w->nextDue -
                                                                                    m_clock.Now());
        status.nextCheck = std::chrono::system_clock::now() + left;
    }
    return status;
}

void MonitorEngine::Changed(int n) {
    if (OnStatusChanged) OnStatusChanged(n);
}

void MonitorEngine::GetTextNow(int n) {
    Window* w = Open(n);
    if (!w) return;
    TConfig& slot = m_configs[SlotOf(n)];
    ControlTexts c = w->controls->Read();
    slot.CurWindowName = c.name;
    slot.CurUrl = c.url;
    slot.CurRefreshTime = c.refresh;
    slot.CurSmsOpen = FlagText(c.sms);
    slot.CurEmailOpen = FlagText(c.email);
    slot.CurOtherOpen = FlagText(c.other);
    slot.CurPushOpen = FlagText(c.push);
    slot.Browser = w->controls->Source();
}

void MonitorEngine::StartStop(int n) {
    Window* w = Open(n);
    if (!w) return;
    const TConfig& slot = m_configs[SlotOf(n)];
    if (n != 0) {
        GetTextNow(n);  // on start and on stop alike, before anything else
        if (!RefreshMinutes(slot.CurRefreshTime)) throw BadMinutes(slot.CurRefreshTime);
    }
    if (w->monitoring) {
        Stop(n);
        return m_notices.PostMessage(StoppedMessage(slot));
    }
    StartOutcome outcome = Start(n);
    if (outcome.started) return m_notices.PostMessage(StartedMessage(slot, outcome.minutes));
    if (outcome.why == text::kBadRefreshTime) {
        return m_notices.PostErrorBox(Notices::Owner::MainWindow, outcome.why);
    }
    m_notices.PostMessage(outcome.why);
}

MonitorEngine::StartOutcome MonitorEngine::Start(int n) {
    Window* w = Open(n);
    if (!w) return {};
    if (w->monitoring) return {true, {}, {}};
    const TConfig& slot = m_configs[SlotOf(n)];
    std::string minutesText;
    std::optional<int> minutes;
    if (n == 0) {
        minutesText = w->controls->Read().refresh;  // shown as typed
        minutes = RefreshMinutes(minutesText);
    } else {
        GetTextNow(n);
        minutes = RefreshMinutes(slot.CurRefreshTime);
        if (!minutes) return {false, {}, BadMinutes(slot.CurRefreshTime).what()};
        minutesText = std::to_string(*minutes);
    }
    if (slot.Regx.empty()) return {false, {}, text::kNoCondition};
    if (!minutes) return {false, {}, text::kBadRefreshTime};
    w->interval = milliseconds(IntervalMs(*minutes));
    w->monitoring = true;
    if (m_runState) m_runState->SetMonitoring(SlotOf(n), true);
    StartTimer(*w, n);
    w->controls->ShowMonitoring(true);
    Changed(n);
    return {true, minutesText, {}};
}

void MonitorEngine::Stop(int n) {
    Window* w = Open(n);
    if (!w || !w->monitoring) return;
    w->monitoring = false;
    if (m_runState) m_runState->SetMonitoring(SlotOf(n), false);
    w->timer.Stop();
    // A tick still waiting for its site's turn ends quietly; a manual test goes on.
    if (w->working && w->runKind == TickKind::Timer && m_sites.Waiting(n)) End(n);
    w->controls->ShowMonitoring(false);
    Changed(n);
}

// The first tick comes one interval after the start (put off by the window's share of the
// spread); later ones keep to that beat.
void MonitorEngine::StartTimer(Window& w, int n) {
    // Neighbours (often of one site) get shares far apart.
    const auto share = m_spread * ((n * 7) % kWindows) / kWindows;
    w.nextDue = m_clock.Now() + w.interval + share;
    w.timer.Start(w.interval + share, [this, n] { OnTimer(n); });
}

void MonitorEngine::OnTimer(int n) {
    Window* w = Open(n);
    if (!w || !w->monitoring) return;
    const auto now = m_clock.Now();
    w->nextDue += w->interval;
    if (w->nextDue <= now) w->nextDue = now + w->interval;  // missed beats are not made up
    w->timer.Start(std::chrono::duration_cast<milliseconds>(w->nextDue - now),
                   [this, n] { OnTimer(n); });
    Run(n, TickKind::Timer);
}

}  // namespace nuvaro
