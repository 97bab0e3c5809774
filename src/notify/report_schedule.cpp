#include "notify/report_schedule.h"

namespace nuvaro {

ReportSchedule::ReportSchedule(IniFile configIni, std::function<ReportText()> compose, Send send)
    : m_configIni(std::move(configIni)), m_compose(std::move(compose)), m_send(std::move(send)) {}

bool ReportSchedule::Check(WallTime now) {
    ReportSettings settings = ReadReportSettings(m_configIni.Load());
    if (!ReportDue(settings, now)) return false;
    settings.lastSent = std::chrono::system_clock::to_time_t(now);
    m_configIni.Update([&](IniDocument& doc) {
        doc.Write("Report", "LastSent", std::to_string(settings.lastSent));
    });
    m_send(settings, m_compose());
    return true;
}

}  // namespace nuvaro
