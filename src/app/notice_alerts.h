#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>

#include "monitor/tray_summary.h"
#include "notify/notify_dispatcher.h"

namespace nuvaro {

class Balloons;
class TTrayNotifyIcon;

// Failed notices on the desktop, without a box that would stop anything: a balloon for each
// delivery that finally failed, and the tray icon's tooltip counting them since the user last
// opened the send log; the icon's mark and tooltip sum up the windows. Lives on the UI thread;
// the program owns it.
class NoticeAlerts {
  public:
    NoticeAlerts(TTrayNotifyIcon& tray, Balloons& balloons);
    ~NoticeAlerts();
    NoticeAlerts(const NoticeAlerts&) = delete;
    NoticeAlerts& operator=(const NoticeAlerts&) = delete;

    // For NotifyDispatcher::SetFailureObserver. Callable from any thread: each failure reaches
    // the UI thread through an idle source of its own on GLib's main context, which nested
    // loops (modal boxes) run as well; one that arrives after the alerts are gone is dropped.
    std::function<void(const FailedNotice&)> Observer();

    // Shows the failure and counts it (UI thread).
    void Raise(const FailedNotice& failed);

    int FailedCount() const { return m_failed; }
    // The user has opened the send log: the count starts again.
    void ResetFailedCount();
    // How the windows stand (for the icon's mark and the tooltip); the failed-notice count is
    // kept here.
    void SetWindows(const TraySummary& windows);
    TrayMark Mark() const;
    // How many deliveries wait in the outbox (the tooltip counts them while there are any).
    void SetWaitingCount(int waiting);
    // For Outbox::SetCountObserver: callable from any thread, reaches the UI thread like
    // Observer().
    std::function<void(size_t)> WaitingObserver();

    // What a click on a failure's balloon does; unset, nothing.
    std::function<void(const FailedNotice&)> OnBalloonClick;

    // The balloon's text for a failure: window, channel (with the recipient), reason.
    static wxString BalloonText(const FailedNotice& failed);
    // The tray icon's tooltip now: windows monitoring, those whose last tick failed and those
    // with a change not yet seen, notices failed, and notices waiting while there are any.
    wxString ToolTipText() const;

  private:
    void UpdateToolTip();
    TraySummary Summary() const;

    TTrayNotifyIcon& m_tray;
    Balloons& m_balloons;
    int m_failed = 0;
    TraySummary m_windows;
    TrayMark m_shownMark = TrayMark::AllWell;
    int m_waiting = 0;
    std::shared_ptr<NoticeAlerts*> m_self;  // expires with the alerts
};

}  // namespace nuvaro
