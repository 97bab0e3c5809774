// Monitoring windows of the main window: restore, add, close, save, open page.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "app/notice_alerts.h"
#include "core/texts.h"
#include "platform/browser_panel.h"
#include "services/notices.h"
#include "services/services.h"
#include "ui/accessible_name.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr int kMaxPages = 30;

std::string SavedMessage(const wxString& name) {
    return text::kSavedPrefix + name.utf8_string() + text::kSavedSuffix;
}

}  // namespace

MonitorWindow* TMainFrm::Window(int n) const {
    for (const auto& window : m_windows) {
        if (window->Number() == n) return window.get();
    }
    return nullptr;
}

MonitorWindow* TMainFrm::ActiveWindow() const {
    int selection = m_pageControl->GetSelection();
    wxWindow* page = selection >= 0 ? m_pageControl->GetPage(selection) : nullptr;
    for (const auto& window : m_windows) {
        if (window->Page() == page) return window.get();
    }
    return nullptr;
}

std::vector<std::pair<MonitorWindow*, std::string>> TMainFrm::WindowsInTabOrder() const {
    std::vector<std::pair<MonitorWindow*, std::string>> windows;
    for (size_t page = 0; page < m_pageControl->GetPageCount(); ++page) {
        for (const auto& window : m_windows) {
            if (window->Page() != m_pageControl->GetPage(page)) continue;
            windows.emplace_back(window.get(), m_pageControl->GetPageText(page).utf8_string());
        }
    }
    return windows;
}

int TMainFrm::PageCount() const { return static_cast<int>(m_pageControl->GetPageCount()); }

// A double click on the address copies it; Enter opens the page, as the button does.
void TMainFrm::BindUrlEdit(MonitorWindow& window) {
    const int n = window.Number();
    window.UrlEdit()->Bind(wxEVT_LEFT_DCLICK, [this, n](wxMouseEvent& e) {
        e.Skip();  // the edit selects the word first
        CallAfter([this, n] { UrlDoubleClick(n); });
    });
    window.UrlEdit()->Bind(wxEVT_TEXT_ENTER, [button = window.OpenPageButton()](wxCommandEvent&) {
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    });
}

// The window's controls call the handlers of its kind: the default page's own, or the shared
// ones of added windows, which take the window number.
void TMainFrm::BindWindow(MonitorWindow& window) {
    const int n = window.Number();
    auto on = [](wxWindow* control, auto handler) {
        control->Bind(wxEVT_BUTTON, [handler](wxCommandEvent&) { Guarded(handler); });
    };
    NameControlsByLabels(window.Page());
    on(window.LogButton(), [this, n] { SeeLogClick(n); });
    on(window.ConditionButton(), [this, n] { ConditionClick(n); });
    BindUrlEdit(window);
    if (window.IsDefault()) {
        on(window.StartStopButton(), [this] { StartStopClick(); });
        on(window.RefreshButton(), [this] { RefreshPageClick(); });
        on(window.SaveButton(), [this] { SaveWindowClick(); });
        on(window.OpenPageButton(), [this] { OpenPageClick(); });
        on(window.RecipientsButton(), [this] { RecipientsClick(); });
        on(window.SourceButton(), [this] { ViewSourceClick(); });
        window.AutostartCheck()->Bind(
            wxEVT_CHECKBOX, [this](wxCommandEvent&) { Guarded([this] { AutostartClick(); }); });
        return;
    }
    on(window.StartStopButton(), [this, n] { StartStopNClick(n); });
    window.RefreshButton()->Bind(wxEVT_BUTTON,
                                 [this, n](wxCommandEvent&) { RefreshPageNClick(n); });
    on(window.SaveButton(), [this, n] { SaveWindowNClick(n); });
    on(window.OpenPageButton(), [this, n] { OpenPageNClick(n); });
    on(window.RecipientsButton(), [this, n] { RecipientsNClick(n); });
    on(window.SourceButton(), [this, n] { ViewSourceNClick(n); });
    window.Browser()->SetProgressHandler([this, n] { UrlFromBrowser(n); });
    window.SettingsPanel()->Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& e) {
        ShowTabMenu(m_pageControl->ScreenToClient(
            static_cast<wxWindow*>(e.GetEventObject())->ClientToScreen(e.GetPosition())));
    });
}

void TMainFrm::RestoreWindows() {
    LoadDefaultPage(Configs()[1]);
    const int sections = Configs()[1].SectionCount();
    for (int i = 1; i <= sections - 1 && i <= 29; ++i) {
        if (!Configs()[i + 1].WindowName.empty()) AddWindow(i);
    }
    m_pageControl->SetSelection(0);
    ResumeMonitoring();
}

void TMainFrm::LoadDefaultPage(TConfig& slot) { DefaultPage().Fill(slot); }

void TMainFrm::AddWindow(int n) {
    TConfig& slot = Configs()[SlotOf(n)];
    m_windows.push_back(
        std::make_unique<MonitorWindow>(m_pageControl, n, ToWidget(slot.WindowName)));
    MonitorWindow& window = *m_windows.back();
    window.Fill(slot);
    BindWindow(window);
    Engine().Attach(n, window);
    m_pageControl->SetSelection(m_pageControl->GetPageCount() - 1);
}

// The page count when no open window has that number, else the lowest free number.
int TMainFrm::NewWindowNumber() const {
    if (!Window(PageCount())) return PageCount();
    for (int n = 1; n < kMaxPages; ++n) {
        if (!Window(n)) return n;
    }
    return -1;
}

void TMainFrm::NewWindowClick() {
    if (PageCount() >= kMaxPages) {
        GetNotices().ShowMessage(text::kTooManyWindows);
        return;
    }
    AddWindow(NewWindowNumber());
}

void TMainFrm::CloseWindowClick() {
    MonitorWindow* window = ActiveWindow();
    if (!window || window->IsDefault()) return;
    const int n = window->Number();
    Engine().Stop(n);             // not monitoring at the next start either
    Engine().Detach(n);           // its tick ends quietly, its timer stops
    Engine().ForgetLastMatch(n);  // a new window in its slot starts afresh
    m_sourceReads.erase(n);
    m_unseen.erase(n);
    m_pageControl->DeletePage(m_pageControl->GetSelection());
    std::erase_if(m_windows, [window](const auto& w) { return w.get() == window; });
    m_pageControl->SetSelection(0);
    Alerts().SetWindows(WindowsAtAGlance());  // a closed window fails no more
}

bool TMainFrm::TabsMouseUp(const wxPoint& point) {
    long flags = 0;
    if (m_pageControl->HitTest(point, &flags) == wxNOT_FOUND) return false;
    ShowTabMenu(point);
    return true;
}

void TMainFrm::ShowTabMenu(const wxPoint& point) {
    wxMenu menu;
    AddWindowItems(menu);
    PopupTabMenu(menu, point);
}

// The commands on windows, in the tab menu and in the main menu's "窗口(&W)".
void TMainFrm::AddWindowItems(wxMenu& menu) {
    auto add = [this, &menu](const char* label, void (TMainFrm::*handler)()) {
        wxMenuItem* item = menu.Append(wxID_ANY, U8(label));
        menu.Bind(
            wxEVT_MENU,
            [this, handler](wxCommandEvent&) { Guarded([this, handler] { (this->*handler)(); }); },
            item->GetId());
    };
    add(text::kMenuNewWindow, &TMainFrm::NewWindowClick);
    add(text::kMenuCloseWindow, &TMainFrm::CloseWindowClick);
    menu.AppendSeparator();
    add(text::kMenuStartAll, &TMainFrm::StartAllClick);
    add(text::kMenuStopAll, &TMainFrm::StopAllClick);
}

void TMainFrm::SaveWindowClick() {
    MonitorWindow& window = DefaultPage();
    TConfig& slot = Configs()[1];
    auto save = [&](std::string TConfig::*field, const char* key, std::string value) {
        slot.*field = value;
        WriteConfigKey("1", key, value);
    };
    save(&TConfig::RefreshTime, "RefreshTime", window.RefreshText());
    save(&TConfig::WindowName, "WindowName", window.NameText());
    if (!window.UrlText().empty()) save(&TConfig::url, "url", window.UrlText());
    save(&TConfig::SmsOpen, "SmsOpen", FlagText(window.SmsCheck()->GetValue()));
    save(&TConfig::EmailOpen, "EmailOpen", FlagText(window.EmailCheck()->GetValue()));
    save(&TConfig::OtherOpen, "OtherOpen", FlagText(window.OtherCheck()->GetValue()));
    save(&TConfig::PushOpen, "PushOpen", FlagText(window.PushCheck()->GetValue()));
    GetNotices().ShowMessage(SavedMessage(window.NameEdit()->GetValue()));
}

void TMainFrm::SaveWindowNClick(int n) {
    MonitorWindow* window = Window(n);
    if (!window) return;
    TConfig& slot = Configs()[SlotOf(n)];
    const std::string section = SlotText(n);
    slot.WindowName = window->NameText();
    slot.url = window->UrlText();
    slot.RefreshTime = window->RefreshText();
    slot.SmsOpen = FlagText(window->SmsCheck()->GetValue());
    slot.EmailOpen = FlagText(window->EmailCheck()->GetValue());
    slot.OtherOpen = FlagText(window->OtherCheck()->GetValue());
    slot.PushOpen = FlagText(window->PushCheck()->GetValue());
    if (!slot.RefreshTime.empty()) WriteConfigKey(section, "RefreshTime", slot.RefreshTime);
    if (!slot.WindowName.empty()) WriteConfigKey(section, "WindowName", slot.WindowName);
    WriteConfigKey(section, "url", slot.url);
    WriteConfigKey(section, "SmsOpen", slot.SmsOpen);
    WriteConfigKey(section, "EmailOpen", slot.EmailOpen);
    WriteConfigKey(section, "OtherOpen", slot.OtherOpen);
    WriteConfigKey(section, "PushOpen", slot.PushOpen);
    GetNotices().ShowMessage(SavedMessage(window->NameEdit()->GetValue()));
}

void TMainFrm::OpenPageNClick(int n) {
    MonitorWindow* window = Window(n);
    if (!window) return;
    TConfig& slot = Configs()[SlotOf(n)];
    const std::string section = SlotText(n);
    const std::string name = window->NameText();
    std::string address = window->UrlText();
    int page = m_pageControl->FindPage(window->Page());
    m_pageControl->SetPageText(page, window->NameEdit()->GetValue());
    if (name.empty()) {
        GetNotices().ShowMessage(text::kSiteNameEmpty);
        return;
    }
    // The slot in memory follows the file, so a later whole-slot save keeps these values.
    WriteConfigKey(section, "WindowName", name);
    slot.WindowName = name;
    if (address.empty()) address = slot.url;
    if (address.empty()) {
        GetNotices().ShowMessage(text::kAddressEmpty);
        return;
    }
    WriteConfigKey(section, "url", address);
    slot.url = address;
    window->Browser()->Navigate(address);
}

void TMainFrm::OpenPageClick() {
    MonitorWindow& window = DefaultPage();
    TConfig& slot = Configs()[1];
    if (window.NameText().empty()) {
        GetNotices().Box(Notices::Owner::None, text::kWindowNameEmpty, text::kCaptionError,
                         Notices::Icon::None, Notices::Buttons::Ok);
        return;
    }
    bool helpPage = false;
    if (window.UrlText().empty()) window.UrlEdit()->ChangeValue(ToWidget(slot.url));
    if (window.UrlText().empty()) {
        window.UrlEdit()->ChangeValue(wxString::FromUTF8(HelpPageAddress()));
        helpPage = true;
    }
    m_pageControl->SetPageText(0, window.NameEdit()->GetValue());
    const std::string name = FromWidget(m_pageControl->GetPageText(0));
    const std::string address = window.UrlText();
    WriteConfigKey("1", "WindowName", name);
    slot.WindowName = name;
    WriteConfigKey("1", "url", address);
    slot.url = address;
    window.Browser()->Navigate(address);
    if (helpPage) GetNotices().ShowMessage(text::kOpenedHelpPage);
}

// The address goes to the edit of the window whose browser moved, not to the active page's:
// a window reloading in the background must not overwrite what the user types elsewhere.
void TMainFrm::UrlFromBrowser(int n) {
    MonitorWindow* window = Window(n);
    if (!window || window->IsDefault()) return;
    std::string location = window->Browser()->LocationURL();
    if (!location.empty()) window->UrlEdit()->ChangeValue(ToWidget(location));
}

void TMainFrm::UrlDoubleClick(int n) {
    MonitorWindow* window = Window(n);
    if (!window) return;
    wxString selection = window->UrlEdit()->GetStringSelection();
    if (selection.empty() || !wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxTextDataObject(selection));
    wxTheClipboard->Close();
}

}  // namespace nuvaro
