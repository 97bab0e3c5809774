// The 系统设置 menu's push channels, health notices and daily report.
#include <wx/menu.h>

#include "app/main_frame.h"
#include "app/program.h"
#include "core/exe_dir.h"
#include "core/ini_file.h"
#include "core/notice_texts.h"
#include "monitor/health_watch.h"
#include "notify/daily_report.h"
#include "notify/notify_dispatcher.h"
#include "notify/ui/health_frm.h"
#include "notify/ui/push_frm.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {

void TMainFrm::AddNoticeItems(wxMenu& system) {
    wxMenuItem* push = system.Append(wxID_ANY, U8(text::kMenuPush));
    wxMenuItem* health = system.Append(wxID_ANY, U8(text::kMenuHealth));
    m_reportItem = system.AppendCheckItem(wxID_ANY, U8(text::kMenuReport));
    m_reportItem->Check(ReadReportSettings(IniFile(ExeDirFile(kConfigIniFile)).Load()).enabled);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { PushSettingsClick(); }); },
        push->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { HealthSettingsClick(); }); },
        health->GetId());
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { ReportMenuClick(); }); },
        m_reportItem->GetId());
}

void TMainFrm::PushSettingsClick() {
    ShowOnce<TPushFrm>(
        [this](const PushChannel& channel, std::function<void(const TryResult&)> done) {
            Dispatcher().SendPushTest(channel, std::move(done));
        });
}

void TMainFrm::HealthSettingsClick() { ShowOnce<THealthFrm>(); }

// The choice is written at once; a refused write is shown and the item shows what stays.
void TMainFrm::ReportMenuClick() {
    const bool on = m_reportItem->IsChecked();
    try {
        IniFile(ExeDirFile(kConfigIniFile)).Update([&](IniDocument& doc) {
            ReportSettings settings = ReadReportSettings(doc);
            settings.enabled = on;
            // Switched on now: the first report goes at its next time, not at once.
            if (on) settings.lastSent = std::time(nullptr);
            WriteReportSettings(doc, settings);
        });
    } catch (...) {
        m_reportItem->Check(!on);
        throw;
    }
}

}  // namespace nuvaro
