#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "core/ini_file.h"
#include "notify/daily_report.h"

namespace nuvaro {

// Sends the daily report when it is due: checked at start and then every minute by the
// caller. The settings are read from `configIni` at each check; the time of the report sent is
// written back there (LastSent) before it goes, so a crash never sends one twice.
class ReportSchedule {
  public:
    using WallTime = std::chrono::system_clock::time_point;
    using Send = std::function<void(const ReportSettings& settings, const ReportText& report)>;

    ReportSchedule(IniFile configIni, std::function<ReportText()> compose, Send send);

    // True when a report went out.
    bool Check(WallTime now);

  private:
    IniFile m_configIni;
    std::function<ReportText()> m_compose;
    Send m_send;
};

}  // namespace nuvaro
