#pragma once

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <cstdint>
#include <string>

#include "monitor/monitor_engine.h"

class wxButton;
class wxCheckBox;
class wxNotebook;
class wxPanel;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

namespace nuvaro {

class GroupBox;
class TConfig;
class BrowserPanel;

// One monitoring window: a page of the page control with its settings, buttons and browser.
// The default page (number 0) nests its settings in two group boxes and carries the
// start-at-logon box and the middle banner; an added window (1..29) places them flat and its
// command buttons in a box of their own. Everything else is shared.
class MonitorWindow : public WindowControls {
  public:
    // Builds the page and appends it to `book`.
    MonitorWindow(wxNotebook* book, int number, const wxString& caption);

    int Number() const { return m_number; }
    // Tells this window from a later one that took the same number.
    uint64_t Serial() const { return m_serial; }
    bool IsDefault() const { return m_number == 0; }
    wxPanel* Page() const { return m_page; }

    // Name, address, refresh minutes and the three channel boxes from the slot.
    void Fill(const TConfig& slot);

    // Settings (Tag 1..6)
    wxTextCtrl* NameEdit() const { return m_name; }
    wxTextCtrl* UrlEdit() const { return m_url; }
    wxTextCtrl* RefreshEdit() const { return m_refresh; }
    wxCheckBox* SmsCheck() const { return m_sms; }
    wxCheckBox* EmailCheck() const { return m_email; }
    wxCheckBox* PushCheck() const { return m_push; }
    wxCheckBox* OtherCheck() const { return m_other; }
    // Commands
    wxButton* OpenPageButton() const { return m_openPage; }
    wxButton* ConditionButton() const { return m_condition; }
    wxButton* RecipientsButton() const { return m_recipients; }
    wxButton* SaveButton() const { return m_save; }
    wxButton* SourceButton() const { return m_source; }
    wxButton* RefreshButton() const { return m_refreshPage; }
    wxButton* LogButton() const { return m_log; }
    wxButton* StartStopButton() const { return m_startStop; }
    BrowserPanel* Browser() const { return m_browser; }
    // Default page only (null on added windows)
    wxCheckBox* AutostartCheck() const { return m_autostart; }
    wxWindow* BannerHost() const;
    // The middle banner stretches with the settings box.
    void PlaceBanner(wxWindow* banner) { m_banner = banner; }
    // The page's client size that shows every control whole and the watched page at its
    // designed size.
    wxSize NeededPageSize() const;
    // The settings panel, whose right click opens the tab menu on added windows.
    wxWindow* SettingsPanel() const;

    // Texts as the program keeps them.
    std::string NameText() const;
    std::string UrlText() const;
    std::string RefreshText() const;

    // What the monitoring cycle reads and shows.
    ControlTexts Read() const override;
    PageSource* Source() override;
    void ShowMonitoring(bool on) override;

  private:
    void BuildDefault();
    void BuildAdded();
    void BuildSettingsRow();
    void BuildBrowserBox();
    void OnPageSize();

    int m_number;
    uint64_t m_serial;
    wxPanel* m_page = nullptr;
    GroupBox* m_settingsBox = nullptr;
    GroupBox* m_panel = nullptr;
    GroupBox* m_browserBox = nullptr;
    wxTextCtrl* m_name = nullptr;
    wxTextCtrl* m_url = nullptr;
    wxTextCtrl* m_refresh = nullptr;
    wxCheckBox* m_sms = nullptr;
    wxCheckBox* m_email = nullptr;
    wxCheckBox* m_push = nullptr;
    wxCheckBox* m_other = nullptr;
    wxCheckBox* m_autostart = nullptr;
    wxButton* m_openPage = nullptr;
    wxButton* m_condition = nullptr;
    wxButton* m_recipients = nullptr;
    wxButton* m_save = nullptr;
    wxButton* m_source = nullptr;
    wxButton* m_refreshPage = nullptr;
    wxButton* m_log = nullptr;
    wxButton* m_startStop = nullptr;
    BrowserPanel* m_browser = nullptr;
    wxWindow* m_banner = nullptr;
};

}  // namespace nuvaro
