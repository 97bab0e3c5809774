#pragma once

#include <wx/frame.h>
#include <wx/weakref.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/program.h"
#include "config/config_table.h"
#include "monitor/monitor_engine.h"
#include "monitor/tray_summary.h"

class wxMenu;
class wxMenuItem;
class wxNotebook;
class wxPanel;

namespace nuvaro {

class BannerController;
class MonitorWindow;
class NoticeAlerts;
class NotifyDispatcher;
class RunState;
class TLogViewerFrm;
class TScrollText;
class TTrayNotifyIcon;

// The program's only working window: banner strips at top and bottom, the page control with
// the default page and up to 29 added monitoring windows, the menus. It shows the program it is
// given (engine, dispatcher, tray) and forwards the user's commands to it; the program outlives
// it.
class TMainFrm : public wxFrame {
  public:
    explicit TMainFrm(Program& program);
    ~TMainFrm() override;

    // Slots 1..30; window n uses slot n + 1.
    TConfigTable& Configs() { return m_program.Configs(); }

    void RestoreWindows();
    // At start, after the windows are restored: the windows that monitored when the program
    // last ended open their pages and monitor again, without a box; unless the user chose
    // otherwise, then every window stays stopped.
    void ResumeMonitoring();
    void ResumeMenuClick();  // "启动时恢复监控"
    wxMenuItem* ResumeItem() const { return m_resumeItem; }
    RunState& SavedState() { return m_program.SavedState(); }
    void LoadDefaultPage(TConfig& slot);
    void AddWindow(int n);

    // Commands (named after their controls)
    void NewWindowClick();                   // tab menu: new window
    void CloseWindowClick();                 // tab menu: close current window
    void StartAllClick();                    // tab menu: start every window that can start
    void StopAllClick();                     // tab menu: stop every window
    bool TabsMouseUp(const wxPoint& point);  // right button released; true: menu shown
    void SaveWindowClick();                  // default page "保存设置"
    void SaveWindowNClick(int n);            // added window "保存设置"
    void OpenPageNClick(int n);              // added window "打开网页"
    void OpenPageClick();                    // default page "打开网页"
    void UrlFromBrowser(int n);              // load progress of window n's browser
    void UrlDoubleClick(int n);              // double click on a URL edit
    // "查看监控日志" of window n: the log viewer, showing that window's entries (all: n < 0).
    void SeeLogClick(int n = -1);
    TLogViewerFrm* LogViewer() const { return m_logViewer; }
    void AboutClick();      // about
    void HelpClick();       // help
    void AutostartClick();  // "开机时启动"
    void ExitMenuClick();   // "退  出"
    void ExitProgram();     // "退出程序(&E)"
    // The system asks the program to end (`request`: its name): logged, then as ExitProgram,
    // once the boxes and dialogs open are closed.
    void EndOnRequest(const char* request);
    void ToggleShown();  // tray double click

    // Monitoring cycle: the handlers hand over to the engine, which keeps the run state.
    void StartStopClick();        // default page "开始监控" / "停止监控"
    void StartStopNClick(int n);  // added window's start/stop
    void DefaultPageTimer();      // default page's tick
    void WindowTimer(int n);      // added window's tick
    void TickWindow(int n, TickKind kind);
    void RefreshPageClick();        // default page "刷新网页"
    void RefreshPageNClick(int n);  // added window's "刷新网页"
    void GetTextNow(int n);         // snapshot of window n's controls into its slot
    bool IsMonitoring(int n) const;
    bool TickInProgress(int n) const;
    MonitorEngine& Engine() { return m_program.Engine(); }
    // The tab of window n shows its state; a change stays marked until its tab is looked at.
    void UpdateTab(int n);
    bool ChangeUnseen(int n) const { return m_unseen.count(n) > 0; }
    // Brings the main window up on window n's tab (a balloon was clicked).
    void ShowWindowTab(int n);
    NotifyDispatcher& Dispatcher() { return m_program.Dispatcher(); }
    NoticeAlerts& Alerts() { return *m_program.Alerts(); }  // failed notices on the desktop

    // Dialogs
    void ConditionClick(int n);    // "设定网页监控条件" of window n
    void RecipientsClick();        // default page "设定短信和邮件接收方"
    void RecipientsNClick(int n);  // added window's "设定短信和邮件接收方"
    void MailAccountClick();       // main menu "邮件发送帐户设置"
    void SmsGatewayClick();        // main menu "短信网关设置"
    void PushSettingsClick();      // main menu "推送设置"
    void HealthSettingsClick();    // main menu "监控异常通知"
    void ReportMenuClick();        // main menu "每日运行报告"
    void ViewSourceClick();        // default page "查网页看源码"
    void ViewSourceNClick(int n);  // added window's "查网页看源码"
    bool SourceRequestPending(int n) const { return m_sourceReads.count(n) > 0; }
    // The last page source request's title and body markup.
    GbkText PageTitle;
    GbkText PageSource;

    // Banners: top strip, default page's settings box, bottom strip.
    TScrollText* TopBanner = nullptr;
    TScrollText* SettingsBanner = nullptr;
    TScrollText* BottomBanner = nullptr;
    BannerController& Banners() { return *m_banners; }

    // Windows
    MonitorWindow& DefaultPage() const { return *m_windows.front(); }
    MonitorWindow* Window(int n) const;  // null when window n is not open
    MonitorWindow* ActiveWindow() const;
    wxNotebook* PageControl() const { return m_pageControl; }
    int PageCount() const;

    // How the last refused close put the window away: into the tray, or minimised where this
    // desktop has no notification area.
    enum class CloseAction { None, Hidden, Iconized };
    CloseAction LastCloseAction() const { return m_lastClose; }

    // Tests see the menus without popping them up.
    std::function<void(wxMenu&, const wxPoint&)> PopupTabMenu;
    TTrayNotifyIcon* TrayIcon() const { return m_program.TrayIcon(); }

    std::string HelpPageAddress() const;

  private:
    void BuildDesign();
    void BuildPageArea();
    void BuildBanners();
    void GrowToShowTheDefaultPage();
    void BuildMenus();
    void AddNoticeItems(wxMenu& system);
    void AddResumeItem(wxMenu& system);
    void OpenPageToResume(MonitorWindow& window);
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void BindWindow(MonitorWindow& window);
    void BindUrlEdit(MonitorWindow& window);
    int NewWindowNumber() const;
    // Open windows in the order of their tabs, with their captions (UTF-8).
    std::vector<std::pair<MonitorWindow*, std::string>> WindowsInTabOrder() const;
    void OnClose(wxCloseEvent& event);
    void TellWhereItWentOnce();
    wxMenu* BuildTrayMenu();
    void SynchronizeAutostartBox();
    void ShowTabMenu(const wxPoint& point);
    void AddWindowItems(wxMenu& menu);
    void ShowPageSource(int n, nuvaro::PageSource* browser, const char* errorPrefix);
    void BindStatus();
    void RunEnded(int n, const WindowStatus& status);
    void TabLookedAt();
    TraySummary WindowsAtAGlance() const;
    int PageIndexOf(int n) const;

    wxMenuItem* m_mailAccountItem = nullptr;
    wxMenuItem* m_reportItem = nullptr;
    wxMenuItem* m_resumeItem = nullptr;
    wxPanel* m_topStrip = nullptr;
    wxPanel* m_bottomStrip = nullptr;
    wxNotebook* m_pageControl = nullptr;
    Program& m_program;
    std::vector<std::unique_ptr<MonitorWindow>> m_windows;  // front: the default page
    std::unique_ptr<BannerController> m_banners;            // the banner thread's owner
    bool m_autostartGuard = false;
    bool m_exiting = false;
    bool m_grown = false;  // the first layout grew the window where it had to
    CloseAction m_lastClose = CloseAction::None;
    wxWeakRef<TLogViewerFrm> m_logViewer;
    std::set<int> m_unseen;  // windows with a change not looked at yet
    std::map<int, std::unique_ptr<PageReader>> m_sourceReads;      // page source reads under way
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);  // expires with the window
};

}  // namespace nuvaro
