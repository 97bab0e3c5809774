#include "app/main_frame.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <algorithm>

#include "app/app_icon.h"
#include "app/monitor_window.h"
#include "app/notice_alerts.h"
#include "banners/ui/banner_controller.h"
#include "banners/ui/scroll_text.h"
#include "config/autostart.h"
#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/log_file.h"
#include "core/texts.h"
#include "monitor/health_watch.h"
#include "monitor/monitor_log.h"
#include "monitor/run_state.h"
#include "monitor/ui/log_viewer_frm.h"
#include "notify/notify_dispatcher.h"
#include "platform/browser_panel.h"
#include "platform/wx/tray_icon.h"
#include "services/balloons.h"
#include "services/notices.h"
#include "services/services.h"
#include "services/shell.h"
#include "services/ui_work_queue.h"
#include "ui/design.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr const char* kTraySection = "Tray";
constexpr const char* kTrayToldKey = "ToldOnClose";

}  // namespace

TMainFrm::TMainFrm(Program& program)
    : wxFrame(nullptr, wxID_ANY, U8(text::kMainCaption), wxPoint(design::kLeft, design::kTop),
              wxSize(design::kWidth, design::kHeight)),
      m_program(program) {
    BuildDesign();
    FormCreate();
    Bind(wxEVT_CLOSE_WINDOW, &TMainFrm::OnClose, this);
    Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
        if (e.IsShown()) Guarded([this] { FormShow(); });
        m_banners->Pause(!e.IsShown());
        e.Skip();
    });
    Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& e) {
        m_banners->Pause(e.IsIconized());
        e.Skip();
    });
}

TMainFrm::~TMainFrm() { FormDestroy(); }

// The window as designed: strips, page control with the default page, menus, timers.
void TMainFrm::BuildDesign() {
    SetName("MainFrm");
    SetIcon(AppIcon());
    SetBackgroundColour(design::FormColour());
    SetFont(design::FormFont());
    BuildMenus();
    BuildPageArea();
    m_windows.push_back(std::make_unique<MonitorWindow>(m_pageControl, 0, U8(text::kDefaultPage)));
    BindWindow(*m_windows.front());
    BuildBanners();
    GrowToShowTheDefaultPage();
    m_pageControl->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& e) {
        if (!TabsMouseUp(e.GetPosition())) e.Skip();
    });
    PopupTabMenu = [this](wxMenu& menu, const wxPoint& at) { m_pageControl->PopupMenu(&menu, at); };
}

// The top strip, the page control and the bottom strip, one above the other.
void TMainFrm::BuildPageArea() {
    auto* root = new wxPanel(this, wxID_ANY);
    root->SetBackgroundColour(design::FormColour());
    m_topStrip = new wxPanel(root, wxID_ANY, wxDefaultPosition, wxSize(-1, design::kTopStripHeight),
                             wxBORDER_SIMPLE);
    m_topStrip->SetName("TopStrip");
    m_topStrip->SetBackgroundColour(design::StripColour());
    m_pageControl = new wxNotebook(root, wxID_ANY);
    m_pageControl->SetName("Tabs");
    m_pageControl->SetBackgroundColour(design::StripColour());
    m_pageControl->SetFont(design::FormFont());
    m_bottomStrip =
        new wxPanel(root, wxID_ANY, wxDefaultPosition, wxSize(-1, design::kBottomStripHeight));
    m_bottomStrip->SetName("BottomStrip");
    m_bottomStrip->SetBackgroundColour(design::FormColour());

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_topStrip, 0, wxEXPAND);
    sizer->Add(m_pageControl, 1, wxEXPAND);
    sizer->Add(m_bottomStrip, 0, wxEXPAND);
    root->SetSizer(sizer);
    SetClientSize(design::kClientWidth, design::kClientHeight);
}

// The designed size is that of another desktop: where this one's tabs, frames or captions take
// more room, the window grows, once, by what the default page lacks when first laid out.
void TMainFrm::GrowToShowTheDefaultPage() {
    wxWindow* page = DefaultPage().Page();
    page->Bind(wxEVT_SIZE, [this, page](wxSizeEvent& e) {
        e.Skip();
        if (m_grown || IsMaximized() || IsIconized()) return;
        const wxSize have = page->GetClientSize();
        if (have.x < design::kClientWidth / 2 || have.y < design::kClientHeight / 2) return;
        m_grown = true;  // laid out for real: from now on the user sizes the window
        const wxSize need = DefaultPage().NeededPageSize();
        const wxSize more(std::max(0, need.x - have.x), std::max(0, need.y - have.y));
        if (more != wxSize(0, 0))
            CallAfter([this, more] { SetClientSize(GetClientSize() + more); });
    });
}

// The banners: filling the top strip, in the default page's settings box, filling the bottom
// strip.
void TMainFrm::BuildBanners() {
    TopBanner = new TScrollText(m_topStrip);
    TopBanner->SetName("TopBanner");
    auto* topSizer = new wxBoxSizer(wxVERTICAL);
    topSizer->Add(TopBanner, 1, wxEXPAND);
    m_topStrip->SetSizer(topSizer);
    SettingsBanner =
        new TScrollText(DefaultPage().BannerHost(), wxID_ANY, wxPoint(8, 116), wxSize(773, 19));
    SettingsBanner->SetName("SettingsBanner");
    DefaultPage().PlaceBanner(SettingsBanner);
    BottomBanner = new TScrollText(m_bottomStrip);
    BottomBanner->SetName("BottomBanner");
    // A strip lower than a line of its banner's font would cut the text.
    for (wxPanel* strip : {m_topStrip, m_bottomStrip}) {
        const int line =
            strip->GetChildren().empty() ? 0 : strip->GetChildren()[0]->GetCharHeight() + 2;
        if (line > strip->GetMinSize().y) strip->SetMinSize(wxSize(-1, line));
    }
    auto* bottomSizer = new wxBoxSizer(wxVERTICAL);
    bottomSizer->Add(BottomBanner, 1, wxEXPAND);
    m_bottomStrip->SetSizer(bottomSizer);
}

void TMainFrm::BuildMenus() {
    auto* system = new wxMenu;
    system->AppendSeparator();
    m_mailAccountItem = system->Append(wxID_ANY, U8(text::kMenuMailAccount));
    wxMenuItem* smsGateway = system->Append(wxID_ANY, U8(text::kMenuSmsGateway));
    AddNoticeItems(*system);
    AddResumeItem(*system);
    system->AppendSeparator();
    wxMenuItem* exit = system->Append(wxID_ANY, U8(text::kMenuExit));
    auto* windows = new wxMenu;
    AddWindowItems(*windows);
    auto* help = new wxMenu;
    wxMenuItem* helpItem = help->Append(wxID_ANY, U8(text::kMenuHelpItem));
    help->AppendSeparator();
    wxMenuItem* about = help->Append(wxID_ANY, U8(text::kMenuAbout));
    auto* bar = new wxMenuBar;
    bar->Append(system, U8(text::kMenuSystem));
    bar->Append(windows, U8(text::kMenuWindows));
    bar->Append(help, U8(text::kMenuHelp));
    SetMenuBar(bar);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { ExitMenuClick(); }); },
        exit->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { MailAccountClick(); }); },
        m_mailAccountItem->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { SmsGatewayClick(); }); },
        smsGateway->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { HelpClick(); }); },
        helpItem->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { AboutClick(); }); }, about->GetId());
}

// The window's part of the start: its banners, its menu item and tray icon showing the program's
// state, the engine's status on the tabs, the default page attached.
void TMainFrm::FormCreate() {
    m_banners = std::make_unique<BannerController>(TopBanner, SettingsBanner, BottomBanner,
                                                   GetShell(), GetNotices());
    m_resumeItem->Check(SavedState().ResumeOnStart());
    TTrayNotifyIcon& tray = *TrayIcon();
    tray.SetPopupMenu([this] { return BuildTrayMenu(); });
    tray.OnDblClick = [this] { ToggleShown(); };
    BindStatus();
    Engine().Attach(0, DefaultPage());
    m_banners->Start();
}

void TMainFrm::FormShow() {
    SynchronizeAutostartBox();
    m_banners->FillFromCache();
}

// The program outlives the window: nothing of it may call back into the window afterwards.
void TMainFrm::FormDestroy() {
    m_sourceReads.clear();
    MonitorEngine& engine = Engine();
    for (const auto& window : m_windows) engine.Detach(window->Number());
    engine.OnStatusChanged = nullptr;
    engine.OnRunEnded = nullptr;
    if (m_banners) m_banners->Shutdown();
    m_program.RemoveTray();
}

wxMenu* TMainFrm::BuildTrayMenu() {
    auto* menu = new wxMenu;
    wxMenuItem* show = menu->Append(wxID_ANY, U8(text::kTrayShow));
    wxMenuItem* exit = menu->Append(wxID_ANY, U8(text::kTrayExit));
    menu->Bind(
        wxEVT_MENU,
        [this](wxCommandEvent&) {
            Show();
            Raise();
        },
        show->GetId());
    menu->Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { ExitProgram(); }, exit->GetId());
    return menu;
}

void TMainFrm::ToggleShown() {
    if (IsShown() && !IsIconized()) {
        Hide();
    } else {
        Iconize(false);
        Show();
        Raise();
    }
}

// Closing keeps the program: the window hides into the notification area, or is minimised
// where the desktop has none.
void TMainFrm::OnClose(wxCloseEvent& event) {
    if (m_exiting || !event.CanVeto()) {
        event.Skip();
        return;
    }
    event.Veto();
    if (TTrayNotifyIcon::Available()) {
        m_lastClose = CloseAction::Hidden;
        Hide();
        TellWhereItWentOnce();
    } else {
        m_lastClose = CloseAction::Iconized;
        Iconize(true);
    }
}

// A newcomer would think the program ended: the first time it goes to the tray, a balloon says
// where it is and how to get it back or end it. config.ini remembers that it was told.
void TMainFrm::TellWhereItWentOnce() {
    const IniFile file(ExeDirFile(kConfigIniFile));
    if (file.ReadString(kTraySection, kTrayToldKey) == "1") return;
    GetBalloons().Show(text::kBalloonInTrayTitle, text::kBalloonInTray,
                       [this, alive = std::weak_ptr<bool>(m_alive)] {
                           if (!alive.expired()) ToggleShown();
                       });
    try {
        file.WriteString(kTraySection, kTrayToldKey, "1");
    } catch (const std::exception&) {
        // Not remembered (a read-only folder): told again at the next close, nothing lost.
    }
}

void TMainFrm::ExitProgram() {
    if (m_exiting) return;
    m_exiting = true;
    Hide();
    FormDestroy();
    // Notices already queued may still go out for a few seconds; what is left then is
    // cancelled and logged, so the program never lingers unseen.
    Dispatcher().Shutdown();
    Destroy();
    if (wxTheApp) wxTheApp->ExitMainLoop();
}

void TMainFrm::EndOnRequest(const char* request) {
    if (m_exiting) return;
    WriteLog(loglines::EndRequested(NowText(), request), kMonitorLog);
    // A dialog's own loop runs inside the program's: it ends first, then the program.
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    }
    CallAfter([this] { ExitProgram(); });
}

void TMainFrm::ExitMenuClick() {
    auto answer =
        GetNotices().Box(Notices::Owner::MainWindow, text::kAskExit, text::kCaptionQuestion,
                         Notices::Icon::Question, Notices::Buttons::YesNo);
    if (answer == Notices::Answer::Yes) {
        ExitProgram();
    } else {
        Close();
    }
}

void TMainFrm::SynchronizeAutostartBox() {
    m_autostartGuard = true;
    bool checked = false;
    try {
        checked = SynchronizeAutostart(m_program.Autostart(), ExeFilePath());
    } catch (...) {
        m_autostartGuard = false;
        throw;
    }
    DefaultPage().AutostartCheck()->SetValue(checked);
    m_autostartGuard = false;
}

void TMainFrm::AutostartClick() {
    if (m_autostartGuard) {
        m_autostartGuard = false;
        return;
    }
    ApplyAutostartChoice(m_program.Autostart(), DefaultPage().AutostartCheck()->GetValue(),
                         ExeFilePath());
}

std::string TMainFrm::HelpPageAddress() const { return LocalFileAddress(ExeDirFile("help.html")); }

// A help page that is missing, or that no program opens, is told with its path, so the user
// can open it by hand.
void TMainFrm::HelpClick() {
    const std::string path = ExeDirFile("help.html");
    auto tell = [path](const char* format) {
        std::string text = format;
        text.replace(text.find("%s"), 2, path);
        GetNotices().PostBox(Notices::Owner::MainWindow, text, text::kAppTitle,
                             Notices::Icon::Error, {});
    };
    if (!ReadWholeFile(path)) return tell(text::kHelpMissing);
    GetShell().OpenPathOrReport(path, [tell, alive = std::weak_ptr<bool>(m_alive)] {
        RunSoon([tell, alive] {
            if (!alive.expired()) tell(text::kHelpCannotOpen);
        });
    });
}

void TMainFrm::AboutClick() {
    std::string about = text::kAboutText;
    about.replace(about.find("%s"), 2, NUVARO_VERSION);
    GetNotices().Box(Notices::Owner::MainWindow, about, text::kAboutCaption,
                     Notices::Icon::Information, Notices::Buttons::Ok);
}

// The program's own viewer reads the logs as they are written (GBK); its button still hands the
// raw file to the desktop.
void TMainFrm::SeeLogClick(int n) {
    const std::string window = n < 0 ? "" : Configs()[SlotOf(n)].WindowName;
    if (!m_logViewer) {
        std::map<std::string, std::string> names;
        for (int slot = 1; slot <= TConfigTable::kSlots; ++slot) {
            names[std::to_string(slot)] = Configs()[slot].WindowName;
        }
        m_logViewer = new TLogViewerFrm(this, std::move(names));
        m_logViewer->Show();
    } else {
        m_logViewer->Reload();
        m_logViewer->Raise();
    }
    m_logViewer->ShowWindow(window);
    Alerts().ResetFailedCount();  // the send log is in front of the user now
}

}  // namespace nuvaro
