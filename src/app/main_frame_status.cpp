// What each window is doing, shown on its tab: an icon before the caption and a tooltip.
#include <wx/notebook.h>
#include <wx/panel.h>

#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "monitor/window_status_text.h"
#include "platform/gtk/tab_tooltip.h"
#include "ui/state_icons.h"

namespace nuvaro {

void TMainFrm::BindStatus() {
    m_pageControl->AssignImageList(MakeStateIcons());
    m_engine->OnStatusChanged = [this](int n) { UpdateTab(n); };
    m_engine->OnRunEnded = [this](int n, const WindowStatus& status) { RunEnded(n, status); };
    m_pageControl->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& e) {
        e.Skip();
        TabLookedAt();
    });
    Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& e) {
        e.Skip();
        if (e.GetActive()) TabLookedAt();
    });
}

int TMainFrm::PageIndexOf(int n) const {
    MonitorWindow* window = Window(n);
    return window ? m_pageControl->FindPage(window->Page()) : wxNOT_FOUND;
}

void TMainFrm::UpdateTab(int n) {
    const int page = PageIndexOf(n);
    if (page == wxNOT_FOUND) return;
    const WindowStatus status = m_engine->Status(n);
    m_pageControl->SetPageImage(page, static_cast<int>(StateOf(status, ChangeUnseen(n))));
    SetTabToolTip(m_pageControl, page, wxString::FromUTF8(StatusTip(status)));
}

// A change on the tab in front of a user at the desk is seen at once; any other stays marked.
void TMainFrm::RunEnded(int n, const WindowStatus& status) {
    if (status.last != WindowStatus::Last::Change) return;
    const bool inView = IsShown() && !IsIconized() && IsActive() &&
                        m_pageControl->GetSelection() == PageIndexOf(n);
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
