#pragma once

#include <wx/icon.h>
#include <wx/taskbar.h>

#include <chrono>
#include <functional>

class wxMenu;

namespace nuvaro {

// The notification-area icon. GTK reports a double click as two clicks and a double click:
// the handler runs once per double click, and a single click does nothing unless OnClick is set.
class TTrayNotifyIcon : public wxTaskBarIcon {
public:
    TTrayNotifyIcon();

    // Whether this desktop shows notification-area icons at all.
    static bool Available();

    void SetIcon(const wxIcon& icon);
    void SetIconVisible(bool visible);
    bool IconVisible() const { return m_visible; }
    // Builds the menu shown on a right click, anew each time.
    void SetPopupMenu(std::function<wxMenu*()> build) { m_buildMenu = std::move(build); }
    std::function<void()> OnDblClick;
    std::function<void()> OnClick;

    // What a double click does (also called by tests).
    void DoubleClicked();
    // The menu a right click shows (the caller owns it).
    wxMenu* BuildMenu() { return CreatePopupMenu(); }

protected:
    wxMenu* CreatePopupMenu() override;

private:
    wxIcon m_icon;
    bool m_visible = false;
    std::function<wxMenu*()> m_buildMenu;
    std::chrono::steady_clock::time_point m_lastDoubleClick{};
};

}  // namespace nuvaro
