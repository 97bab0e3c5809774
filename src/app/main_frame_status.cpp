// What each window is doing, shown on its tab (an icon before the caption and a tooltip), summed
// up in the tray icon's mark and tooltip, and told on the desktop when it matters: a change
// (old -> new), a window that keeps failing.
#include <wx/notebook.h>
#include <wx/panel.h>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "app/notice_alerts.h"
#include "app/program.h"
#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "monitor/window_status_text.h"
#include "platform/tab_tooltip.h"
#include "services/balloons.h"
#include "services/services.h"
#include "ui/state_icons.h"

namespace nuvaro {
namespace {

constexpr size_t kBalloonChars = 200;

// The found text as a balloon shows it: UTF-8, cut at a character boundary.
std::string BalloonFound(const GbkText& gbk) {
    return ToUtf8(GbkText::FromBytes(ShowControls(CutText(gbk, kBalloonChars).view())));
}

}  // namespace

void TMainFrm::BindStatus() {
    m_pageControl->AssignImageList(MakeStateIcons());
    Engine().OnStatusChanged = [this](int n) { UpdateTab(n); };
    Engine().OnRunEnded = [this](int n, const WindowStatus& status) {
        m_program.Health().OnRunEnded(n, status);
        RunEnded(n, status);
    };
    m_pageControl->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& e) {
        e.Skip();
        TabLookedAt();
    });
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& e) {
        e.Skip();
        if (e.GetActive()) TabLookedAt();
    });
    Alerts().OnBalloonClick = [this](const FailedNotice& failed) {
        auto slot = ParseInteger(failed.slot);
        ShowWindowTab(slot ? static_cast<int>(*slot) - 1 : -1);
    };
}

void TMainFrm::ShowWindowTab(int n) {
    Iconize(false);
    Show();
    Raise();
    const int page = PageIndexOf(n);
    if (page != wxNOT_FOUND) m_pageControl->SetSelection(page);
    TabLookedAt();
}

int TMainFrm::PageIndexOf(int n) const {
    MonitorWindow* window = Window(n);
    return window ? m_pageControl->FindPage(window->Page()) : wxNOT_FOUND;
}

void TMainFrm::UpdateTab(int n) {
    const int page = PageIndexOf(n);
    if (page == wxNOT_FOUND) return;
    const WindowStatus status = Engine().Status(n);
    m_pageControl->SetPageImage(page, TabIconIndex(LookOf(status, ChangeUnseen(n))));
    SetTabToolTip(m_pageControl, page, wxString::FromUTF8(StatusTip(status)));
    if (m_program.Alerts()) Alerts().SetWindows(WindowsAtAGlance());
}

// Windows in the order of their tabs, by their captions.
TraySummary TMainFrm::WindowsAtAGlance() const {
    TraySummary summary;
    for (const auto& [window, caption] : WindowsInTabOrder()) {
        const WindowStatus s = m_program.Engine().Status(window->Number());
        summary.monitoring += s.monitoring ? 1 : 0;
        if (s.last == WindowStatus::Last::Error) summary.failing.push_back(caption);
        if (ChangeUnseen(window->Number())) summary.unseen.push_back(caption);
    }
    return summary;
}

// A change shows a balloon; on the tab in front of a user at the desk it is seen at once, any
// other stays marked. A window that has failed three ticks in a row says so once, until it
// works again.
void TMainFrm::RunEnded(int n, const WindowStatus& status) {
    const std::string& name = Configs()[SlotOf(n)].WindowName;
    auto bringUp = [this, alive = std::weak_ptr<bool>(m_alive), n] {
        if (!alive.expired()) ShowWindowTab(n);
    };
    if (status.last == WindowStatus::Last::Error && status.failuresInRow == 3) {
        GetBalloons().Show(text::kBalloonFailingTitle, name + "\n" + status.lastError, bringUp);
    }
    if (status.last != WindowStatus::Last::Change) return;
    std::string change = BalloonFound(status.lastFound);
    if (!status.previousFound.empty()) {
        change = BalloonFound(status.previousFound) + text::kBalloonArrow + change;
    }
    GetBalloons().Show(std::string(text::kAppTitle) + "：" + name, text::kBalloonChange + change,
                       bringUp);
    const bool inView =
        IsShown() && !IsIconized() && IsActive() && m_pageControl->GetSelection() == PageIndexOf(n);
    if (inView) return;
    m_unseen.insert(n);
    UpdateTab(n);
}

void TMainFrm::TabLookedAt() {
    if (!IsShown() || IsIconized()) return;
    MonitorWindow* window = ActiveWindow();
    if (!window || !m_unseen.erase(window->Number())) return;
    UpdateTab(window->Number());
}

}  // namespace nuvaro
