#include "platform/wx/tray_icon.h"

#include <wx/menu.h>
#include <wx/settings.h>

namespace nuvaro {

TTrayNotifyIcon::TTrayNotifyIcon() {
    // Handled, not skipped: an unhandled press is passed on as a double click.
    Bind(wxEVT_TASKBAR_LEFT_DOWN, [this](wxTaskBarIconEvent&) { LeftButtonDown(); });
    // Where the desktop reports real double clicks.
    Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) { DoubleClicked(); });
    m_clickTimer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (OnClick) OnClick();
    });
    ShowNotificationsAt(this);
}

TTrayNotifyIcon::~TTrayNotifyIcon() { ShowNotificationsAt(nullptr); }

int TTrayNotifyIcon::DoubleClickTime() {
    int ms = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
    return ms > 0 ? ms : 400;
}

void TTrayNotifyIcon::LeftButtonDown() {
    if (m_clickTimer.IsRunning()) {
        m_clickTimer.Stop();
        DoubleClicked();
    } else {
        m_clickTimer.StartOnce(DoubleClickTime());
    }
}

bool TTrayNotifyIcon::Available() { return wxTaskBarIcon::IsAvailable(); }

void TTrayNotifyIcon::SetIcon(const wxIcon& icon) {
    m_icon = icon;
    if (m_visible) wxTaskBarIcon::SetIcon(m_icon, m_toolTip);
}

void TTrayNotifyIcon::SetToolTip(const wxString& text) {
    m_toolTip = text;
    if (m_visible) wxTaskBarIcon::SetIcon(m_icon, m_toolTip);
}

void TTrayNotifyIcon::SetIconVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    if (visible) {
        wxTaskBarIcon::SetIcon(m_icon, m_toolTip);
    } else {
        RemoveIcon();
    }
}

void TTrayNotifyIcon::DoubleClicked() {
    // Where the desktop reports the double click itself, its first press is no single click.
    m_clickTimer.Stop();
    auto now = std::chrono::steady_clock::now();
    // A second report of the same double click comes within the double-click time.
    if (now - m_lastDoubleClick < std::chrono::milliseconds(DoubleClickTime())) return;
    m_lastDoubleClick = now;
    if (OnDblClick) OnDblClick();
}

wxMenu* TTrayNotifyIcon::CreatePopupMenu() { return m_buildMenu ? m_buildMenu() : nullptr; }

}  // namespace nuvaro
