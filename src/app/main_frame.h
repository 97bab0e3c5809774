#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/config_table.h"

class wxMenu;
class wxMenuItem;
class wxNotebook;
class wxPanel;
class wxTimer;

namespace nuvaro {

class AutostartStore;
class BannerController;
class MonitorWindow;
class NoticeAlerts;
class NotifyDispatcher;
class TScrollText;
class TTrayNotifyIcon;
class WebBrowser;

// The program's only working window: banner strips at top and bottom, the page control with
// the default page and up to 29 added monitoring windows, the menus, the tray icon.
class TMainFrm : public wxFrame {
public:
    TMainFrm();
    ~TMainFrm() override;

    // Slots 1..30; window n uses slot n + 1.
    TConfigTable& Configs() { return *m_configs; }

    void RestoreWindows();
    void LoadDefaultPage(TConfig& slot);
    void AddWindow(int n);

    // Commands (named after their controls)
    void N4Click();                    // tab menu: new window
    void C1Click();                    // tab menu: close current window
    bool RzPageControl1MouseUp(const wxPoint& point);  // right button released; true: menu shown
    void SaveWindowClick();            // default page "保存设置"
    void SaveWindowNClick(int n);      // added window "保存设置"
    void OpenPageNClick(int n);        // added window "打开网页"
    void RzBitBtn1Click();             // default page "打开网页"
    void UrlFromBrowser(int n);        // load progress of window n's browser
    void RzEdit1DblClick(int n);       // double click on a URL edit
    void SeeLogClick();                // "查看监控日志" of any window
    void N8Click();                    // about
    void N9Click();                    // help
    void chk1Click();                  // "开机时启动"
    void ExitMenuClick();              // "退  出"
    void ExitProgram();                // "退出程序(&E)"
    void ToggleShown();                // tray double click

    // Monitoring cycle
    void RunBeginClick();              // default page "开始监控" / "停止监控"
    void RunBeginNClick(int n);        // added window's start/stop
    void Timer1Timer(bool fromTimer);  // default page tick; without the timer: read at once (test)
    void TimeWindowN(int n);           // added window's timer
    void TimerNTimer(int n, int mode); // mode 1: tick, mode 2: manual test
    void RzBitBtn3Click();             // default page "刷新网页"
    void RzBitBtn3NClick(int n);       // added window's "刷新网页"
    void GetTextNow(int n);            // snapshot of window n's controls into slot n + 1
    bool IsMonitoring(int n) const;    // the start/stop button reads "停止监控"
    bool TickInProgress(int n) const;
    // The dispatch for one window over its switched-on channels.
    void DispatchWindow(TConfig& slot, const std::string& slotNumber);
    void SendSMSNotice(const std::string& slotNumber);
    void SendEmailNotice(const std::string& slotNumber);
    NotifyDispatcher& Dispatcher() { return *m_dispatcher; }
    NoticeAlerts& Alerts() { return *m_alerts; }  // failed notices on the desktop

    // Dialogs
    void rzbitbtn8Click(int n);        // "设定网页监控条件" of window n
    void RzBitBtn7Click();             // default page "设定短信和邮件接收方"
    void RzBitBtn7NClick(int n);       // added window's "设定短信和邮件接收方"
    void N7Click();                    // main menu "邮件发送帐户设置"
    void RunBegin1Click();             // default page "查网页看源码"
    void WebSourceNClick(int n);       // added window's "查网页看源码"
    bool SourceRequestPending() const;
    // The last page source request's title and body markup (GBK).
    std::string PageTitle;
    std::string PageSource;

    // Banners: top strip, default page's settings box, bottom strip.
    TScrollText* ScrollText1 = nullptr;
    TScrollText* ScrollText2 = nullptr;
    TScrollText* ScrollText3 = nullptr;
    BannerController& Banners() { return *m_banners; }

    // Windows
    MonitorWindow& DefaultPage() const { return *m_windows.front(); }
    MonitorWindow* Window(int n) const;  // null when window n is not open
    MonitorWindow* ActiveWindow() const;
    wxNotebook* PageControl() const { return m_pageControl; }
    wxTimer* TimerOf(int n) const;       // the timer whose Tag is n (Timer1 for 0)
    int PageCount() const;

    // How the last refused close put the window away: into the tray, or minimised where this
    // desktop has no notification area.
    enum class CloseAction { None, Hidden, Iconized };
    CloseAction LastCloseAction() const { return m_lastClose; }

    // Tests see the menus without popping them up.
    std::function<void(wxMenu&, const wxPoint&)> PopupTabMenu;
    TTrayNotifyIcon* TrayIcon() const { return m_tray.get(); }

    std::string HelpPageAddress() const;

private:
    void BuildDesign();
    void BuildMenus();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void BindWindow(MonitorWindow& window);
    int NewWindowNumber() const;
    void OnClose(wxCloseEvent& event);
    wxMenu* BuildTrayMenu();
    void SynchronizeAutostartBox();
    void ShowTabMenu(const wxPoint& point);
    void ShowPageSource(WebBrowser* browser, const char* errorPrefix);
    template <typename Steps>
    void ClaimTick(int n, Steps&& steps);
    bool BeginTick(int n, bool test, int reload, const std::string& url, int pauseMs);
    void ConcludeTick(int n, bool test, const std::string& page);
    template <typename Step>
    void TickTrap(Step&& step);

    wxMenuItem* m_mailAccountItem = nullptr;
    wxPanel* m_topStrip = nullptr;     // RzPanel2
    wxPanel* m_bottomStrip = nullptr;  // RzPanel1
    wxNotebook* m_pageControl = nullptr;
    wxTimer m_timer1;                  // the default page's timer
    // Added windows' timers in creation order, each with its Tag (the window number).
    std::vector<std::pair<int, std::unique_ptr<wxTimer>>> m_timers;
    std::unique_ptr<TConfigTable> m_configs;
    std::vector<std::unique_ptr<MonitorWindow>> m_windows;  // front: the default page
    std::unique_ptr<BannerController> m_banners;  // the banner thread's owner
    std::unique_ptr<NotifyDispatcher> m_dispatcher;
    std::unique_ptr<TTrayNotifyIcon> m_tray;
    std::unique_ptr<NoticeAlerts> m_alerts;
    std::unique_ptr<AutostartStore> m_autostart;
    bool m_autostartGuard = false;
    std::set<uint64_t> m_ticking;  // serials of windows whose tick runs
    bool m_exiting = false;
    CloseAction m_lastClose = CloseAction::None;
    std::weak_ptr<bool> m_sourceRequest;  // alive while a page source request runs
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);  // expires with the window
};

}  // namespace nuvaro
