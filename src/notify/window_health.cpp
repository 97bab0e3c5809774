#include "notify/window_health.h"

#include "config/config_table.h"
#include "config/tconfig.h"

namespace nuvaro {
namespace {

HealthTick TickOf(const WindowStatus& status) {
    switch (status.last) {
        case WindowStatus::Last::Error:
            return {HealthTick::Result::Failed, status.lastError};
        case WindowStatus::Last::NothingFound:
            return {HealthTick::Result::NothingFound, {}};
        default:
            return {HealthTick::Result::Good, {}};
    }
}

}  // namespace

WindowHealth::WindowHealth(TConfigTable& configs, std::function<WallTime()> now,
                           std::function<HealthSettings()> settings, Send send)
    : m_configs(configs),
      m_now(std::move(now)),
      m_settings(std::move(settings)),
      m_send(std::move(send)) {}

void WindowHealth::OnRunEnded(int n, const WindowStatus& status) {
    // A site that asked to wait tells nothing about the window's health.
    if (n < 0 || n >= MonitorEngine::kWindows || status.last == WindowStatus::Last::Waiting) return;
    const HealthTick tick = TickOf(status);
    Counts& counts = m_counts[n];
    ++counts.ticks;
    if (tick.result == HealthTick::Result::Failed) ++counts.failedTicks;
    HealthWatch& watch = m_watches[n];
    const HealthSettings settings = m_settings();
    const WallTime now = m_now();
    const WallTime since = watch.since();
    const int failedTicks = watch.failedTicks();
    const HealthWatch::Event event = watch.OnTick(tick, now, settings);
    counts.failing = watch.state() == HealthWatch::State::Told;
    if (event == HealthWatch::Event::None) return;
    const TConfig& slot = m_configs[SlotOf(n)];
    const bool recovered = event == HealthWatch::Event::Recovered;
    HealthFacts facts{slot.WindowName,
                      slot.url,
                      watch.reason(),
                      recovered ? since : watch.since(),
                      now,
                      recovered ? failedTicks : watch.failedTicks()};
    m_send(slot, {event, ComposeHealthNotice(event, facts), settings.program});
}

WindowHealth::Counts WindowHealth::CountsOf(int n) const {
    return n >= 0 && n < MonitorEngine::kWindows ? m_counts[n] : Counts{};
}

}  // namespace nuvaro
