#pragma once

#include <wx/icon.h>
#include <wx/taskbar.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>

class wxMenu;

namespace nuvaro {

// The notification-area icon. GTK reports each click of the left button on its own, so the
// icon tells clicks apart itself: a second press within the desktop's double-click time is a
// double click (OnDblClick, once); a press that none follows is a single click (OnClick, which
// the main window leaves unset). Windows reports double clicks itself; they count once too.
class TTrayNotifyIcon : public wxTaskBarIcon {
  public:
    TTrayNotifyIcon();
    ~TTrayNotifyIcon() override;

    // Whether this desktop shows notification-area icons at all.
    static bool Available();

    void SetIcon(const wxIcon& icon);
    // The text shown when the pointer rests on the icon.
    void SetToolTip(const wxString& text);
    const wxString& ToolTip() const { return m_toolTip; }
    void SetIconVisible(bool visible);
    bool IconVisible() const { return m_visible; }
    // Builds the menu shown on a right click, anew each time.
    void SetPopupMenu(std::function<wxMenu*()> build) { m_buildMenu = std::move(build); }
    std::function<void()> OnDblClick;
    std::function<void()> OnClick;

    // A press of the left button on the icon (also called by tests).
    void LeftButtonDown();
    // What a double click does.
    void DoubleClicked();
    // The desktop's double-click time in milliseconds.
    static int DoubleClickTime();
    // The menu a right click shows (the caller owns it).
    wxMenu* BuildMenu() { return CreatePopupMenu(); }

  protected:
    wxMenu* CreatePopupMenu() override;

  private:
    wxIcon m_icon;
    wxString m_toolTip;
    bool m_visible = false;
    std::function<wxMenu*()> m_buildMenu;
    wxTimer m_clickTimer;  // runs from a first press until the double-click time has passed
    std::chrono::steady_clock::time_point m_lastDoubleClick{};
};

// Lets the desktop's notifications come from `icon` (null: from none), where the desktop shows
// them at an icon of the notification area.
void ShowNotificationsAt(TTrayNotifyIcon* icon);

}  // namespace nuvaro
