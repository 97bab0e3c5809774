#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/ini_file.h"

namespace nuvaro {

// config.ini [Report]: the daily sign of life.
struct ReportSettings {
    bool enabled = false;  // Enabled
    int hour = 9;          // Time=09:00
    int minute = 0;
    std::string toMail;    // ToMail: empty: the first window's recipients (UTF-8)
    std::string push;      // Push: push sections, "push1,push3"; empty: every enabled one
    int64_t lastSent = 0;  // LastSent: wall-clock seconds of the last report
};

ReportSettings ReadReportSettings(const IniDocument& configIni);
void WriteReportSettings(IniDocument& configIni, const ReportSettings& settings);
// Whether `section` is one of the push sections the report goes to.
bool ReportGoesTo(const ReportSettings& settings, const std::string& section);

// Whether a report is due at `now`: the last planned time (today's Time once it has come,
// else yesterday's) is later than the last report. So a report missed while the program did
// not run goes out at the next start, and never more than one for the missed days.
bool ReportDue(const ReportSettings& settings, std::chrono::system_clock::time_point now);
// The next planned time after `now`.
std::chrono::system_clock::time_point NextReportTime(const ReportSettings& settings,
                                                     std::chrono::system_clock::time_point now);

// One window's line of the report.
struct ReportWindow {
    std::string slot, name;  // UTF-8
    bool monitoring = false;
    bool failing = false;
    int ticks = 0, failedTicks = 0, sent = 0, pending = 0;
    std::string lastFound;  // UTF-8, cut here
};

// "Nuvaro 运行日报" and its text.
struct ReportText {
    std::string subject, body;
};
ReportText ComposeReport(const std::vector<ReportWindow>& windows,
                         std::chrono::system_clock::time_point started);

}  // namespace nuvaro
