#include "platform/gtk/tray_icon.h"

#include <wx/menu.h>

namespace nuvaro {

TTrayNotifyIcon::TTrayNotifyIcon() {
    Bind(wxEVT_TASKBAR_LEFT_DCLICK, [this](wxTaskBarIconEvent&) { DoubleClicked(); });
    Bind(wxEVT_TASKBAR_LEFT_UP, [this](wxTaskBarIconEvent&) {
        if (OnClick) OnClick();
    });
}

bool TTrayNotifyIcon::Available() { return wxTaskBarIcon::IsAvailable(); }

void TTrayNotifyIcon::SetIcon(const wxIcon& icon) {
    m_icon = icon;
    if (m_visible) wxTaskBarIcon::SetIcon(m_icon);
}

void TTrayNotifyIcon::SetIconVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    if (visible) {
        wxTaskBarIcon::SetIcon(m_icon);
    } else {
        RemoveIcon();
    }
}

void TTrayNotifyIcon::DoubleClicked() {
    auto now = std::chrono::steady_clock::now();
    // A second report of the same double click comes within the double-click time.
    if (now - m_lastDoubleClick < std::chrono::milliseconds(400)) return;
    m_lastDoubleClick = now;
    if (OnDblClick) OnDblClick();
}

wxMenu* TTrayNotifyIcon::CreatePopupMenu() { return m_buildMenu ? m_buildMenu() : nullptr; }

}  // namespace nuvaro
