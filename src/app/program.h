#pragma once

#include <chrono>
#include <memory>

#include "core/write_queue.h"
#include "notify/daily_report.h"
#include "notify/window_health.h"

namespace nuvaro {

class AutostartStore;
class EngineClock;
class MonitorEngine;
class NoticeAlerts;
class NotifyDispatcher;
class OneShot;
class ReportSchedule;
class TConfig;
class RunState;
class TConfigTable;
class TTrayNotifyIcon;

// What the program is made of, built and wired in one place: the configuration slots, the saved
// run state, the notify dispatcher with its outbox and plug-ins, the monitoring engine on the
// UI clock, the autostart store, the tray icon and the failed-notice alerts. The application
// object owns it; the main window shows it and forwards to it, and ends before it.
class Program {
  public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Once the main window watches the engine: the deliveries an earlier run left in the outbox
    // are queued again.
    void ResumeOutbox();
    // The daily report: checked now (a report missed while the program did not run goes now)
    // and then every minute.
    void StartReports();
    ReportText ComposeReport() const;
    // Takes the icon off the desktop and ends it with the alerts it shows (the main window's
    // teardown). The tray and the alerts are gone afterwards.
    void RemoveTray();

    TConfigTable& Configs() { return *m_configs; }
    RunState& SavedState() { return *m_runState; }
    NotifyDispatcher& Dispatcher() { return *m_dispatcher; }
    EngineClock& Clock() { return *m_clock; }
    MonitorEngine& Engine() { return *m_engine; }
    AutostartStore& Autostart() { return *m_autostart; }
    // Null once the tray is removed.
    TTrayNotifyIcon* TrayIcon() const { return m_tray.get(); }
    NoticeAlerts* Alerts() const { return m_alerts.get(); }
    // Hears the end of every window's run (health notices, counts for the report).
    WindowHealth& Health() { return *m_health; }

  private:
    void BuildNotices();
    void SendHealthNotice(const TConfig& slot, const WindowHealth::Notice& notice);
    void SendReport(const ReportSettings& settings, const ReportText& report);
    // Declared in the order of their ends: the dispatcher ends before the engine whose notices
    // it sends, the alerts before the icon they show. The file writes go on to the last: what
    // the others wrote as they ended is on disk before the program ends.
    write_queue::Running m_writes;
    std::unique_ptr<TConfigTable> m_configs;
    std::unique_ptr<RunState> m_runState;
    std::unique_ptr<EngineClock> m_clock;
    std::unique_ptr<MonitorEngine> m_engine;
    std::unique_ptr<NotifyDispatcher> m_dispatcher;
    std::unique_ptr<TTrayNotifyIcon> m_tray;
    std::unique_ptr<NoticeAlerts> m_alerts;
    std::unique_ptr<AutostartStore> m_autostart;
    std::unique_ptr<WindowHealth> m_health;
    std::unique_ptr<ReportSchedule> m_reports;
    std::unique_ptr<OneShot> m_reportTimer;  // ends before the clock
    std::chrono::system_clock::time_point m_started = std::chrono::system_clock::now();
};

}  // namespace nuvaro
