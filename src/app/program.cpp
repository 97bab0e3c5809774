#include "app/program.h"

#include <map>

#include "app/app_icon.h"
#include "app/notice_alerts.h"
#include "config/autostart.h"
#include "config/config_table.h"
#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/log_file.h"
#include "monitor/health_watch.h"
#include "monitor/monitor_engine.h"
#include "monitor/monitor_log.h"
#include "monitor/run_state.h"
#include "monitor/site_gate.h"
#include "notify/daily_report.h"
#include "notify/notify_dispatcher.h"
#include "notify/outbox_reconcile.h"
#include "notify/report_schedule.h"
#include "notify/window_health.h"
#include "platform/wx/tray_icon.h"
#include "services/engine_clock.h"
#include "services/services.h"
#include "services/ui_clock.h"

namespace nuvaro {
namespace {

// Windows due at the same moment start over this much time, each at its own offset.
constexpr std::chrono::seconds kTickSpread{8};

}  // namespace

Program::Program() {
    m_configs = std::make_unique<TConfigTable>();
    m_runState = std::make_unique<RunState>(ExeDirFile(RunState::kFileName));
    m_dispatcher =
        std::make_unique<NotifyDispatcher>(GetShell(), MakePluginLibraries(), DeliveryPolicy{},
                                           std::make_unique<Outbox>(ExeDirFile(Outbox::kFileName)));
    ReconcileNotified(*m_dispatcher->KeptIn(), *m_runState);  // before the slots take the texts
    m_clock = NewUiClock();
    m_engine = std::make_unique<MonitorEngine>(
        *m_configs, *m_clock, GetNotices(),
        [this](const TConfig& slot, const GbkText& found, const GbkText& previous,
               const GbkText& value) { m_dispatcher->Dispatch(slot, found, previous, value); });
    m_engine->SetRunState(m_runState.get());
    // Windows started together tick a few seconds apart, and the loads of one site take turns:
    // a page costs its web process a good part of a second, and the site its bandwidth.
    m_engine->SetTickSpread(kTickSpread);
    m_engine->SetSiteSettings(ReadSiteSettings(IniFile(ExeDirFile(kConfigIniFile)).Load()));
    m_autostart = NewAutostartStore();
    m_tray = std::make_unique<TTrayNotifyIcon>();
    m_tray->SetIcon(AppIcon());
    m_tray->SetIconVisible(true);
    m_alerts = std::make_unique<NoticeAlerts>(*m_tray, GetBalloons());
    m_dispatcher->SetFailureObserver(m_alerts->Observer());
    m_dispatcher->KeptIn()->SetCountObserver(m_alerts->WaitingObserver());
    BuildNotices();
}

// Health notices of the windows and the daily report, both sent by the dispatcher.
void Program::BuildNotices() {
    m_health = std::make_unique<WindowHealth>(
        *m_configs, [] { return std::chrono::system_clock::now(); },
        [] { return ReadHealthSettings(IniFile(ExeDirFile(kConfigIniFile)).Load()); },
        [this](const TConfig& slot, const WindowHealth::Notice& notice) {
            SendHealthNotice(slot, notice);
        });
    m_reports = std::make_unique<ReportSchedule>(
        IniFile(ExeDirFile(kConfigIniFile)), [this] { return ComposeReport(); },
        [this](const ReportSettings& settings, const ReportText& report) {
            SendReport(settings, report);
        });
    m_reportTimer = std::make_unique<OneShot>(*m_clock);
}

Program::~Program() { RemoveTray(); }

void Program::ResumeOutbox() { m_dispatcher->ResumeOutbox(); }

// A plug-in that cannot be loaded leaves the other channels their notice; the error is logged.
void Program::SendHealthNotice(const TConfig& slot, const WindowHealth::Notice& notice) {
    const char* kind = notice.event == HealthWatch::Event::Recovered  ? kNoticeRecovered
                       : notice.event == HealthWatch::Event::Reminder ? kNoticeReminder
                                                                      : kNoticeFailing;
    try {
        m_dispatcher->DispatchNotice(slot, kind, notice.text.subject, notice.text.body,
                                     notice.program);
    } catch (const std::exception& e) {
        WriteLog(loglines::TickError(NowText(), std::to_string(slot.Index), ToGbk(slot.WindowName),
                                     ToGbk(e.what())),
                 kErrorLog);
    }
}

void Program::SendReport(const ReportSettings& settings, const ReportText& report) {
    const std::string toMail = settings.toMail.empty() ? (*m_configs)[1].ToMail : settings.toMail;
    try {
        m_dispatcher->SendReport(
            toMail,
            [settings](const std::string& section) { return ReportGoesTo(settings, section); },
            report.subject, report.body);
    } catch (const std::exception& e) {
        WriteLog(loglines::TickError(NowText(), "0", GbkText(), ToGbk(e.what())), kErrorLog);
    }
}

void Program::StartReports() {
    try {
        m_reports->Check(std::chrono::system_clock::now());
    } catch (const std::exception& e) {
        WriteLog(loglines::TickError(NowText(), "0", GbkText(), ToGbk(e.what())), kErrorLog);
    }
    m_reportTimer->Start(std::chrono::minutes(1), [this] { StartReports(); });
}

ReportText Program::ComposeReport() const {
    std::vector<ReportWindow> windows;
    std::map<std::string, int> pending;
    for (const OutboxEntry& e : m_dispatcher->KeptIn()->Entries()) ++pending[e.slot];
    for (int n = 0; n < MonitorEngine::kWindows; ++n) {
        const TConfig& slot = (*m_configs)[SlotOf(n)];
        const WindowHealth::Counts counts = m_health->CountsOf(n);
        if (slot.WindowName.empty() && counts.ticks == 0) continue;
        const WindowStatus status = m_engine->Status(n);
        const std::string number = std::to_string(slot.Index);
        windows.push_back({number, slot.WindowName, status.monitoring, counts.failing, counts.ticks,
                           counts.failedTicks, m_dispatcher->SentCount(slot.Index), pending[number],
                           ToUtf8(status.lastFound)});
    }
    return nuvaro::ComposeReport(windows, m_started);
}

void Program::RemoveTray() {
    m_alerts.reset();
    if (m_tray) {
        m_tray->SetIconVisible(false);
        m_tray.reset();
    }
}

}  // namespace nuvaro
