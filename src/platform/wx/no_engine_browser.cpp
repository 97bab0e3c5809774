#include "platform/wx/no_engine_browser.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include "core/gbk.h"
#include "core/texts.h"
#include "services/ui_work_queue.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {

NoEngineBrowser::NoEngineBrowser(wxWindow* parent) : BrowserPanel(parent) {
    SetBackgroundColour(*wxWHITE);
    auto* note = new wxStaticText(this, wxID_ANY, U8(text::kNoPageEngine));
    note->SetFont(design::FormFont());
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(note, 0, wxALL, 12);
    SetSizer(sizer);
}

std::string NoEngineBrowser::LocationURL() const { return FromWidget(LocationText()); }

wxString NoEngineBrowser::LocationText() const { return ToWidget(m_location); }

void NoEngineBrowser::Navigate(const std::string& url) {
    m_location = url;
    ++m_loads;
}

// Nothing opened, nothing to reload.
void NoEngineBrowser::Refresh() {
    if (!m_location.empty()) ++m_loads;
}

LoadOutcome NoEngineBrowser::Outcome(uint64_t load) const {
    LoadOutcome outcome;
    outcome.finished = load <= m_loads;
    outcome.failed = outcome.finished;
    if (outcome.failed) outcome.error = text::kNoPageEngineReason;
    return outcome;
}

void NoEngineBrowser::ReadPageAs(const PageQuery&, PageReadDone done) {
    RunSoon([alive = std::weak_ptr<bool>(m_alive), done = std::move(done)] {
        if (alive.expired()) return;
        PageContent page;
        page.error = text::kNoPageEngineReason;
        done(page);
    });
}

void NoEngineBrowser::AskQuiet(std::function<void(std::chrono::milliseconds)> done) {
    RunSoon([alive = std::weak_ptr<bool>(m_alive), done = std::move(done)] {
        if (!alive.expired()) done(std::chrono::milliseconds(60000));
    });
}

}  // namespace nuvaro
