#pragma once

#include <memory>

namespace nuvaro {

class AutostartStore;
class EngineClock;
class MonitorEngine;
class NoticeAlerts;
class NotifyDispatcher;
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

  private:
    // Declared in the order of their ends: the dispatcher ends before the engine whose notices
    // it sends, the alerts before the icon they show.
    std::unique_ptr<TConfigTable> m_configs;
    std::unique_ptr<RunState> m_runState;
    std::unique_ptr<EngineClock> m_clock;
    std::unique_ptr<MonitorEngine> m_engine;
    std::unique_ptr<NotifyDispatcher> m_dispatcher;
    std::unique_ptr<TTrayNotifyIcon> m_tray;
    std::unique_ptr<NoticeAlerts> m_alerts;
    std::unique_ptr<AutostartStore> m_autostart;
};

}  // namespace nuvaro
