#pragma once

#include <chrono>
#include <string>

#include "core/ini_file.h"

namespace nuvaro {

// The program's own settings beside the executable.
inline constexpr const char* kConfigIniFile = "config.ini";

// config.ini [Health]: when a window that keeps failing is told, and how.
struct HealthSettings {
    bool enabled = true;     // Enabled
    int failTicks = 3;       // FailTicks: failed ticks in a row ...
    int failMinutes = 10;    // FailMinutes: ... and at least this long
    int remindHours = 24;    // RemindHours: a reminder this often while failing; 0: none
    bool recovery = true;    // Recovery: "监控恢复" at the first good tick
    bool program = false;    // Program: the local program hears of it too
    bool lostMatch = false;  // LostMatch: a pattern that found something and now finds nothing
};

// The settings of `configIni`; a missing or unreadable key keeps its default.
HealthSettings ReadHealthSettings(const IniDocument& configIni);
void WriteHealthSettings(IniDocument& configIni, const HealthSettings& settings);

// What a tick of a window tells about its health.
struct HealthTick {
    enum class Result { Good, Failed, NothingFound };
    Result result = Result::Good;
    std::string reason;  // UTF-8, for a failed tick
};

// One window's health: healthy, failing but not yet told, or told. Time comes from the caller.
class HealthWatch {
  public:
    using WallTime = std::chrono::system_clock::time_point;
    enum class State { Healthy, Failing, Told };
    enum class Event { None, Failing, Reminder, Recovered };

    // The tick's verdict at `now`, and the notice it calls for.
    Event OnTick(const HealthTick& tick, WallTime now, const HealthSettings& settings);

    State state() const { return m_state; }
    WallTime since() const { return m_since; }
    int failedTicks() const { return m_failedTicks; }
    const std::string& reason() const { return m_reason; }

  private:
    bool Failed(const HealthTick& tick, const HealthSettings& settings) const;
    void Reset();

    State m_state = State::Healthy;
    WallTime m_since{};
    WallTime m_toldAt{};
    int m_failedTicks = 0;
    std::string m_reason;
    bool m_hadMatch = false;  // the window found something on an earlier tick
};

// The notice of a health event (not None), UTF-8.
struct HealthNoticeText {
    std::string subject;
    std::string body;
};
struct HealthFacts {
    std::string window, url, reason;
    HealthWatch::WallTime since, now;
    int failedTicks = 0;
};
HealthNoticeText ComposeHealthNotice(HealthWatch::Event event, const HealthFacts& facts);

// "2 天 3 小时 5 分钟", leaving out what is zero ("0 分钟" for less than a minute).
std::string DurationText(std::chrono::seconds duration);

}  // namespace nuvaro
