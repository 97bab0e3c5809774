#include "notify/daily_report.h"

#include <cstdio>
#include <ctime>

#include "core/gbk.h"
#include "core/notice_texts.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "monitor/health_watch.h"
#include "monitor/window_status_text.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::system_clock;
constexpr const char* kSection = "Report";
constexpr size_t kFoundShown = 60;

std::string Text(const IniDocument& doc, const char* key) {
    auto value = doc.ReadGbk(kSection, key);
    return value ? std::string(TrimControls(ToUtf8(*value))) : std::string();
}

// Today's planned time of `now`'s local day.
Clock::time_point PlannedOn(const ReportSettings& s, Clock::time_point now, int dayOffset) {
    const std::time_t t = Clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_mday += dayOffset;
    local.tm_hour = s.hour;
    local.tm_min = s.minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return Clock::from_time_t(std::mktime(&local));
}

std::string Format(const char* pattern, auto... values) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

// A page's text on one line of the report.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return text;
}

}  // namespace

ReportSettings ReadReportSettings(const IniDocument& doc) {
    ReportSettings s;
    s.enabled = Text(doc, "Enabled") == "1";
    int hour = 0, minute = 0;
    const std::string time = Text(doc, "Time");
    if (std::sscanf(time.c_str(), "%d:%d", &hour, &minute) == 2 && hour >= 0 && hour < 24 &&
        minute >= 0 && minute < 60) {
        s.hour = hour;
        s.minute = minute;
    }
    s.toMail = Text(doc, "ToMail");
    s.push = Text(doc, "Push");
    s.lastSent = ParseInteger(Text(doc, "LastSent")).value_or(0);
    return s;
}

void WriteReportSettings(IniDocument& doc, const ReportSettings& s) {
    doc.Write(kSection, "Enabled", s.enabled ? "1" : "0");
    doc.Write(kSection, "Time", Format("%02d:%02d", s.hour, s.minute));
    doc.WriteGbk(kSection, "ToMail", ToGbk(s.toMail));
    doc.WriteGbk(kSection, "Push", ToGbk(s.push));
    doc.Write(kSection, "LastSent", std::to_string(s.lastSent));
}

bool ReportGoesTo(const ReportSettings& s, const std::string& section) {
    if (TrimControls(s.push).empty()) return true;
    size_t start = 0;
    while (start <= s.push.size()) {
        size_t end = s.push.find_first_of(",;， ", start);
        if (end == std::string::npos) end = s.push.size();
        if (EqualsIgnoreAsciiCase(TrimControls(s.push.substr(start, end - start)), section))
            return true;
        start = end + 1;
    }
    return false;
}

bool ReportDue(const ReportSettings& s, Clock::time_point now) {
    if (!s.enabled) return false;
    Clock::time_point planned = PlannedOn(s, now, 0);
    if (planned > now) planned = PlannedOn(s, now, -1);
    return Clock::from_time_t(static_cast<std::time_t>(s.lastSent)) < planned;
}

Clock::time_point NextReportTime(const ReportSettings& s, Clock::time_point now) {
    Clock::time_point planned = PlannedOn(s, now, 0);
    return planned > now ? planned : PlannedOn(s, now, 1);
}

ReportText ComposeReport(const std::vector<ReportWindow>& windows, Clock::time_point started) {
    ReportText r{text::kReportTitle, {}};
    std::string& b = r.body;
    b = std::string(text::kReportTitle) + "\r\n";
    b += std::string(text::kReportStarted) + WallTimeText(started) + "\r\n\r\n";
    if (windows.empty()) b += std::string(text::kReportNoWindows) + "\r\n";
    for (const ReportWindow& w : windows) {
        const char* state = w.failing      ? text::kReportFailing
                            : w.monitoring ? text::kReportMonitoring
                                           : text::kReportStopped;
        b += Format(text::kReportWindow, OneLine(w.slot + " " + w.name).c_str(), state) + "\r\n";
        b += Format(text::kReportCounts, w.ticks, w.failedTicks, w.sent, w.pending) + "\r\n";
        if (!w.lastFound.empty())
            b += text::kReportLastFound + OneLine(CutUtf8Text(w.lastFound, kFoundShown)) + "\r\n";
    }
    return r;
}

}  // namespace nuvaro
