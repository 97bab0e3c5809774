#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <string>

#include "monitor/health_watch.h"
#include "monitor/monitor_engine.h"

namespace nuvaro {

class TConfig;
class TConfigTable;

// The health of every window, from the ends of their runs: counts their ticks, and raises
// "监控异常", its reminders and "监控恢复" as the settings say. Time and settings come from the
// caller (the settings are read at each run's end, so the dialog's change holds from the next
// tick); the notice goes to `send`, which hands it to the window's channels.
class WindowHealth {
  public:
    using WallTime = std::chrono::system_clock::time_point;
    struct Notice {
        HealthWatch::Event event = HealthWatch::Event::None;
        HealthNoticeText text;  // UTF-8
        bool program = false;   // the local program hears of it too
    };
    using Send = std::function<void(const TConfig& slot, const Notice& notice)>;

    WindowHealth(TConfigTable& configs, std::function<WallTime()> now,
                 std::function<HealthSettings()> settings, Send send);

    // Window n's run ended with `status` (MonitorEngine::OnRunEnded).
    void OnRunEnded(int n, const WindowStatus& status);

    struct Counts {
        int ticks = 0, failedTicks = 0;
        bool failing = false;  // told, not yet recovered
    };
    Counts CountsOf(int n) const;

  private:
    TConfigTable& m_configs;
    std::function<WallTime()> m_now;
    std::function<HealthSettings()> m_settings;
    Send m_send;
    std::array<HealthWatch, MonitorEngine::kWindows> m_watches;
    std::array<Counts, MonitorEngine::kWindows> m_counts{};
};

}  // namespace nuvaro
