#include "app/monitor_window.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "config/tconfig.h"
#include "core/notice_texts.h"
#include "core/texts.h"
#include "platform/browser_panel.h"
#include "ui/controls.h"
#include "ui/design.h"
#include "ui/group_box.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr int kButtonWidth = kStandardButtonWidth;  // a width the design leaves open
// The watched page's designed box (8, 144, 777, 329) and its margins to the page's edges.
constexpr int kPageWidth = 8 + 777 + 11, kPageHeight = 144 + 329 + 4;

// The right edge of the controls below `window`, in the coordinates of `window`'s parent.
int RightEdgeBelow(const wxWindow* window, int offset) {
    int right = 0;
    for (const wxWindow* child : window->GetChildren()) {
        const wxRect r = child->GetRect();
        right = std::max({right, offset + r.GetRight() + 1, RightEdgeBelow(child, offset + r.x)});
    }
    return right;
}

}  // namespace

MonitorWindow::MonitorWindow(wxNotebook* book, int number, const wxString& caption)
    : m_number(number) {
    static uint64_t serials = 0;
    m_serial = ++serials;
    m_page = new wxPanel(book, wxID_ANY);
    m_page->SetBackgroundColour(design::FormColour());
    m_page->SetFont(design::FormFont());
    m_page->SetName(IsDefault() ? "DefaultPage" : "Page" + std::to_string(number));
    if (IsDefault()) {
        BuildDefault();
    } else {
        BuildAdded();
    }
    m_page->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
        OnPageSize();
        e.Skip();
    });
    book->AddPage(m_page, caption);
}

// The row both kinds share at the top of the settings box: name, address, open page.
void MonitorWindow::BuildSettingsRow() {
    MakeLabel(m_settingsBox, text::kWindowNameLabel, 14, 21);
    m_name = MakeEdit(m_settingsBox, "WindowName", {67, 18, 73, 20});
    MakeLabel(m_settingsBox, text::kAddressLabel, 155, 21);
    m_url = MakeEdit(m_settingsBox, "Url", {196, 18, 477, 20}, wxTE_PROCESS_ENTER);
    int openWidth = IsDefault() ? 70 : kButtonWidth;
    m_openPage = MakeButton(m_settingsBox, text::kOpenPage, "OpenPage", {685, 17, openWidth, 21});
    m_settingsBox->SetName("SettingsBox");
}

void MonitorWindow::BuildBrowserBox() {
    m_browserBox = new GroupBox(m_page, U8(text::kWatchedPage), {8, 144}, {777, 329});
    m_browserBox->SetName("BrowserBox");
    m_browser = NewBrowserPanel(m_browserBox, m_number);
    m_browser->SetName("Browser");
}

void MonitorWindow::BuildDefault() {
    m_settingsBox = new GroupBox(m_page, wxEmptyString, {0, 0}, {796, 137});
    BuildSettingsRow();
    m_name->SetValue(U8(text::kNewWindowName));
    m_panel =
        new GroupBox(m_settingsBox, wxEmptyString, {8, 49}, {768, 65}, GroupBox::Frame::Lowered);
    m_panel->SetName("SettingsPanel");

    auto* channelsGroup = new GroupBox(m_panel, wxEmptyString, {8, 1}, {521, 60});
    channelsGroup->SetName("ChannelsGroup");
    m_condition = MakeButton(channelsGroup, text::kSetCondition, "SetCondition", {9, 10, 112, 21});
    m_recipients =
        MakeButton(channelsGroup, text::kSetRecipients, "SetRecipients", {137, 10, 133, 21});
    m_autostart =
        MakeCheck(channelsGroup, text::kStartAtLogon, "StartAtLogon", {328, 14, 81, 17}, false);
    m_push = MakeCheck(channelsGroup, text::kPushOpen, "PushCheck", {417, 14, 88, 17}, false);
    KeepApart({m_recipients, m_autostart, m_push});
    auto* channels = MakeLabel(channelsGroup, text::kChannelsLabel, 8, 41);
    m_sms = MakeCheck(channelsGroup, text::kSmsCheck, "SmsCheck", {100, 38, 48, 17});
    m_email = MakeCheck(channelsGroup, text::kEmailCheck, "EmailCheck", {161, 38, 48, 17});
    m_other = MakeCheck(channelsGroup, text::kOtherCheck, "OtherCheck", {221, 38, 48, 17});
    auto* refresh = MakeLabel(channelsGroup, text::kRefreshLabel, 281, 41);
    m_refresh = MakeEdit(channelsGroup, "RefreshMinutes", {350, 36, 26, 20});
    auto* minutes = MakeLabel(channelsGroup, text::kMinutes, 386, 42);
    m_save = MakeButton(channelsGroup, text::kSaveSettings, "SaveSettings", {417, 36, 88, 21});
    KeepApart({channels, m_sms, m_email, m_other, refresh, m_refresh, minutes, m_save});

    auto* buttonsGroup = new GroupBox(m_panel, wxEmptyString, {544, 1}, {209, 60});
    buttonsGroup->SetName("ButtonBox");
    m_source = MakeButton(buttonsGroup, text::kViewSource, "ViewSource", {13, 10, 92, 21});
    m_refreshPage = MakeButton(buttonsGroup, text::kRefreshPage, "RefreshPage", {123, 10, 70, 21});
    m_log = MakeButton(buttonsGroup, text::kViewLog, "ViewLog", {13, 36, 92, 21});
    m_startStop = MakeButton(buttonsGroup, text::kStartMonitoring, "StartStop", {123, 35, 70, 21});
    BuildBrowserBox();
}

void MonitorWindow::BuildAdded() {
    m_settingsBox = new GroupBox(m_page, wxEmptyString, {0, 0}, {796, 137});
    auto* buttonBox = new GroupBox(m_page, wxEmptyString, {544, 50}, {209, 60});
    buttonBox->SetName("ButtonBox");
    m_panel =
        new GroupBox(m_settingsBox, wxEmptyString, {8, 49}, {768, 65}, GroupBox::Frame::Lowered);
    m_panel->SetName("SettingsPanel");
    m_recipients = MakeButton(m_panel, text::kSetRecipients, "SetRecipients", {137, 10, 133, 21});
    m_push = MakeCheck(m_panel, text::kPushOpen, "PushCheck", {290, 14, 88, 17}, false);
    KeepApart({m_recipients, m_push});
    m_condition = MakeButton(m_panel, text::kSetCondition, "SetCondition", {9, 10, 112, 21});
    m_sms = MakeCheck(m_panel, text::kSmsCheck, "SmsCheck", {100, 38, 48, 17});
    m_email = MakeCheck(m_panel, text::kEmailCheck, "EmailCheck", {161, 38, 48, 17});
    m_other = MakeCheck(m_panel, text::kOtherCheck, "OtherCheck", {221, 38, 48, 17});
    BuildSettingsRow();
    auto* refresh = MakeLabel(m_panel, text::kRefreshLabel, 281, 41);
    auto* channels = MakeLabel(m_panel, text::kChannelsLabel, 8, 41);
    m_refresh =
        MakeEdit(m_panel, ("RefreshTime" + std::to_string(m_number)).c_str(), {350, 36, 26, 20});
    auto* minutes = MakeLabel(m_panel, text::kMinutes, 386, 42);
    m_startStop =
        MakeButton(buttonBox, text::kStartMonitoring, "StartStop", {123, 35, kButtonWidth, 21});
    m_refreshPage =
        MakeButton(buttonBox, text::kRefreshPage, "RefreshPage", {123, 10, kButtonWidth, 21});
    m_source = MakeButton(buttonBox, text::kViewSource, "ViewSource", {13, 10, 92, 21});
    m_log = MakeButton(buttonBox, text::kViewLog, "ViewLog", {13, 36, 92, 21});
    m_save = MakeButton(m_panel, text::kSaveSettings, "SaveSettings", {417, 36, kButtonWidth, 21});
    KeepApart({channels, m_sms, m_email, m_other, refresh, m_refresh, minutes, m_save});
    BuildBrowserBox();
}

// The settings box follows the page's width, the browser box fills the rest of the page.
void MonitorWindow::OnPageSize() {
    const wxSize page = m_page->GetClientSize();
    if (page.x <= 0 || page.y <= 0) return;
    m_settingsBox->SetSize(page.x, 137);
    if (m_banner) m_banner->SetSize(8, 116, std::max(page.x - 23, 50), 19);
    m_browserBox->SetSize(8, 144, std::max(page.x - 19, 50), std::max(page.y - 148, 50));
    const wxSize box = m_browserBox->GetClientSize();
    m_browser->SetSize(2, 16, std::max(box.x - 4, 10), std::max(box.y - 18, 10));
}

// The settings box and the banner stretch with the page (OnPageSize); the controls in it do not.
wxSize MonitorWindow::NeededPageSize() const {
    return {std::max(kPageWidth, RightEdgeBelow(m_settingsBox, m_settingsBox->GetPosition().x) + 8),
            kPageHeight};
}

void MonitorWindow::Fill(const TConfig& slot) {
    m_name->ChangeValue(ToWidget(slot.WindowName));
    m_url->ChangeValue(ToWidget(slot.url));
    m_refresh->ChangeValue(ToWidget(slot.RefreshTime));
    m_sms->SetValue(IsOn(slot.SmsOpen));
    m_email->SetValue(IsOn(slot.EmailOpen));
    m_other->SetValue(IsOn(slot.OtherOpen));
    m_push->SetValue(IsOn(slot.PushOpen));
}

wxWindow* MonitorWindow::BannerHost() const { return m_settingsBox; }
wxWindow* MonitorWindow::SettingsPanel() const { return m_panel; }

std::string MonitorWindow::NameText() const { return FromWidget(m_name->GetValue()); }
std::string MonitorWindow::UrlText() const { return FromWidget(m_url->GetValue()); }
std::string MonitorWindow::RefreshText() const { return FromWidget(m_refresh->GetValue()); }

ControlTexts MonitorWindow::Read() const {
    ControlTexts c;
    c.name = NameText();
    c.url = UrlText();
    c.refresh = RefreshText();
    c.urlUtf8 = m_url->GetValue().utf8_string();
    c.sms = m_sms->GetValue();
    c.email = m_email->GetValue();
    c.other = m_other->GetValue();
    c.push = m_push->GetValue();
    return c;
}

PageSource* MonitorWindow::Source() { return m_browser; }

void MonitorWindow::ShowMonitoring(bool on) {
    m_startStop->SetLabel(U8(on ? text::kStopMonitoring : text::kStartMonitoring));
}

}  // namespace nuvaro
