// Watching that outlives the process: the windows that monitored when the program last ended
// monitor again at start, unless the user turned that off in the 系统设置 menu.
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/monitor_log.h"
#include "monitor/run_state.h"
#include "platform/browser_panel.h"
#include "ui/error_display.h"
#include "ui/wx_text.h"

namespace nuvaro {

void TMainFrm::AddResumeItem(wxMenu& system) {
    m_resumeItem = system.AppendCheckItem(wxID_ANY, U8(text::kMenuResume));
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Guarded([this] { ResumeMenuClick(); }); },
        m_resumeItem->GetId());
}

// The choice is remembered at once; a refused write is shown and the item shows the choice
// that stays.
void TMainFrm::ResumeMenuClick() {
    const bool on = m_resumeItem->IsChecked();
    try {
        SavedState().SetResumeOnStart(on);
    } catch (...) {
        m_resumeItem->Check(!on);
        throw;
    }
}

// Like the window's "打开网页", without its boxes and without writing Config.inf: the default
// page goes to its address box, an added window to its saved address; the tab (and so the
// tray tip) shows the window's name.
void TMainFrm::OpenPageToResume(MonitorWindow& window) {
    const std::string address =
        window.IsDefault() ? window.UrlText() : Configs()[SlotOf(window.Number())].url;
    if (address.empty()) return;
    if (window.IsDefault() && !window.NameText().empty()) {
        m_pageControl->SetPageText(0, window.NameEdit()->GetValue());
    }
    window.Browser()->Navigate(address);
}

void TMainFrm::ResumeMonitoring() {
    RunState& state = SavedState();
    RunState::Hold hold(state);
    if (!state.ResumeOnStart()) return state.ForgetMonitoring();
    std::vector<bool> open(TConfigTable::kSlots + 1, false);
    for (const auto& window : m_windows) {
        const int n = window->Number();
        open[SlotOf(n)] = true;
        if (!state.WasMonitoring(SlotOf(n))) continue;
        OpenPageToResume(*window);
        std::string why;
        try {
            MonitorEngine::StartOutcome outcome = Engine().Start(n);
            if (!outcome.started) why = outcome.why;
        } catch (const std::exception& e) {
            why = e.what();
        }
        if (why.empty()) continue;
        // Nobody may be there to see a box: the reason goes to the error log.
        const TConfig& slot = Configs()[SlotOf(n)];
        WriteLog(loglines::TickError(NowText(), SlotText(n), slot.WindowName,
                                     std::string(text::kResumeFailed) + why),
                 kErrorLog);
        state.SetMonitoring(SlotOf(n), false);
    }
    // A window that is not there (its slot lost its name) does not monitor.
    for (int slot = 1; slot <= TConfigTable::kSlots; ++slot) {
        if (!open[slot]) state.SetMonitoring(slot, false);
    }
}

}  // namespace nuvaro
