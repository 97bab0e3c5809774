#include "monitor/ui/log_viewer_frm.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dataview.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <optional>
#include <thread>

#include "core/text_cut.h"
#include "core/texts.h"
#include "monitor/monitor_log.h"
#include "services/services.h"
#include "services/shell.h"
#include "services/ui_work_queue.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr int kTypingDelayMs = 250;
constexpr int kFollowMs = 1000;
// A cell shows this many characters at most: drawing a line of megabytes garbles it.
constexpr size_t kCellChars = 300;
constexpr unsigned kColumns = 5;

}  // namespace

// The table asks for the texts of the rows on screen only: a log of any length fills it at once.
class TLogViewerFrm::LogModel : public wxDataViewVirtualListModel {
  public:
    explicit LogModel(const TLogViewerFrm& owner) : m_owner(owner) {}

    unsigned GetColumnCount() const override { return kColumns; }
    wxString GetColumnType(unsigned) const override { return "string"; }
    void GetValueByRow(wxVariant& value, unsigned row, unsigned column) const override {
        value = wxString::FromUTF8(m_owner.Cell(row, column));
    }
    bool SetValueByRow(const wxVariant&, unsigned, unsigned) override { return false; }

  private:
    const TLogViewerFrm& m_owner;
};

// Where the user is in the table, by entry, so that it outlives a change of the rows.
struct TLogViewerFrm::Place {
    std::optional<std::pair<LogSource, uint64_t>> selected;
    bool atTop = true;
};

TLogViewerFrm::TLogViewerFrm(wxWindow* owner, std::map<std::string, std::string> windowOfSlot)
    : wxFrame(owner, wxID_ANY, U8(text::kLogViewerCaption), wxDefaultPosition, wxSize(900, 560),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      m_windowOfSlot(std::move(windowOfSlot)),
      m_timeline(std::make_unique<LogTimeline>(std::array<std::string, LogTimeline::kLogs>{
          LogFilePath(kMonitorLog), LogFilePath(kErrorLog), LogFilePath(kSendLog)})),
      m_typing(std::make_unique<wxTimer>()),
      m_follow(std::make_unique<wxTimer>()) {
    SetName("LogViewerFrm");
    BuildLayout();
    m_window->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ApplyFilter(); });
    m_search->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_typing->StartOnce(kTypingDelayMs); });
    m_typing->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ApplyFilter(); });
    m_follow->Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (!m_loading && m_timeline->FilesChanged()) Reload();
    });
    m_older->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ReadOlder(); });
    m_openRaw->Bind(wxEVT_BUTTON,
                    [](wxCommandEvent&) { GetShell().OpenPath(LogFilePath(kMonitorLog)); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
    FillWindowChoice();
    CentreOnParent();
    Reload();
    m_follow->Start(kFollowMs);
}

TLogViewerFrm::~TLogViewerFrm() {
    m_typing->Stop();
    m_follow->Stop();
}

// The row above the table: which window, what to look for, the raw file.
wxBoxSizer* TLogViewerFrm::BuildSearchBar(wxPanel* panel) {
    auto* bar = new wxBoxSizer(wxHORIZONTAL);
    bar->Add(new wxStaticText(panel, wxID_ANY, U8(text::kLogViewerWindow)), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_window = new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxSize(160, -1));
    bar->Add(m_window, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    bar->Add(new wxStaticText(panel, wxID_ANY, U8(text::kLogViewerSearch)), 0,
             wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    m_search = new wxTextCtrl(panel, wxID_ANY, {}, wxDefaultPosition, wxSize(220, -1));
    bar->Add(m_search, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    m_openRaw = new wxButton(panel, wxID_ANY, U8(text::kLogViewerOpenRaw));
    bar->Add(m_openRaw, 0, wxALIGN_CENTER_VERTICAL);
    return bar;
}

void TLogViewerFrm::BuildTable(wxPanel* panel) {
    m_table = new wxDataViewCtrl(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxDV_SINGLE | wxDV_ROW_LINES);
    m_model = new LogModel(*this);
    m_table->AssociateModel(m_model);
    m_model->DecRef();
    const std::pair<const char*, int> columns[kColumns] = {{text::kLogViewerTime, 140},
                                                           {text::kLogViewerWindowColumn, 100},
                                                           {text::kLogViewerEvent, 110},
                                                           {text::kLogViewerPrevious, 160},
                                                           {text::kLogViewerText, 340}};
    for (unsigned c = 0; c < kColumns; ++c) {
        m_table->AppendTextColumn(U8(columns[c].first), c, wxDATAVIEW_CELL_INERT, columns[c].second,
                                  wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
    }
}

void TLogViewerFrm::BuildLayout() {
    auto* panel = new wxPanel(this);
    panel->SetBackgroundColour(design::FormColour());
    panel->SetFont(design::FormFont());
    wxBoxSizer* bar = BuildSearchBar(panel);
    BuildTable(panel);
    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    m_status = new wxStaticText(panel, wxID_ANY, {});
    bottom->Add(m_status, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
    m_older = new wxButton(panel, wxID_ANY, U8(text::kLogViewerOlder));
    m_older->Disable();
    bottom->Add(m_older, 0, wxALIGN_CENTER_VERTICAL);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(bar, 0, wxEXPAND | wxALL, 8);
    sizer->Add(m_table, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    sizer->Add(bottom, 0, wxEXPAND | wxALL, 8);
    panel->SetSizer(sizer);
}

unsigned TLogViewerFrm::RowCount() const { return m_model->GetCount(); }

// Slot number -> window name, as a copy the reading thread can use.
WindowOfSlot TLogViewerFrm::Names() const {
    return [names = m_windowOfSlot](std::string_view slot) {
        auto it = names.find(std::string(slot));
        return it == names.end() ? std::string() : it->second;
    };
}

void TLogViewerFrm::Reload() {
    if (!m_loading) Run(m_timeline->ReadAppended(Names()));
}

void TLogViewerFrm::ReadOlder() {
    if (!m_loading && m_timeline->HasOlder()) Run(m_timeline->ReadOlder(Names()));
}

void TLogViewerFrm::Run(LogTimeline::Step step) {
    m_loading = true;
    m_older->Disable();
    if (m_timeline->EntryCount() == 0) m_status->SetLabel(U8(text::kLogViewerLoading));
    std::thread([step = std::move(step), alive = std::weak_ptr<bool>(m_alive), this] {
        auto batch = std::make_shared<LogTimeline::Batch>(step());
        RunSoon([alive, batch, this] {
            if (!alive.expired()) Loaded(std::move(*batch));
        });
    }).detach();
}

void TLogViewerFrm::Loaded(LogTimeline::Batch batch) {
    const Place place = Remember();
    const LogTimeline::Applied applied = m_timeline->Apply(std::move(batch));
    m_loading = false;
    if (applied.reset) {
        m_model->Reset(static_cast<unsigned>(m_timeline->RowCount()));
    }
    for (size_t i = 0; i < applied.newRows; ++i) m_model->RowPrepended();
    for (size_t i = 0; i < applied.olderRows; ++i) m_model->RowAppended();
    Restore(place);
    FillWindowChoice();
    UpdateStatus();
}

TLogViewerFrm::Place TLogViewerFrm::Remember() const {
    Place place;
    const wxDataViewItem selected = m_table->GetSelection();
    if (selected.IsOk()) {
        const LogEntry& e = m_timeline->Row(m_model->GetRow(selected));
        place.selected = std::make_pair(e.source, e.offset);
    }
    const wxDataViewItem top = m_table->GetTopItem();
    place.atTop = !top.IsOk() || m_model->GetRow(top) == 0;
    return place;
}

// The rows in view stay in view (the table keeps its top row when rows come before it); a
// user looking at the newest entries sees the new ones.
void TLogViewerFrm::Restore(const Place& place) {
    if (place.selected) {
        auto row = m_timeline->RowOf(place.selected->first, place.selected->second);
        if (row && m_model->GetRow(m_table->GetSelection()) != *row) {
            // The rows were made anew: the selected entry is chosen and shown again.
            const wxDataViewItem item = m_model->GetItem(static_cast<unsigned>(*row));
            m_table->Select(item);
            m_table->EnsureVisible(item);
        }
    }
    if (place.atTop && m_timeline->RowCount() > 0) m_table->EnsureVisible(m_model->GetItem(0));
}

void TLogViewerFrm::FillWindowChoice() {
    std::set<std::string> names = m_timeline->WindowNames();
    for (const auto& [slot, name] : m_windowOfSlot) {
        if (!name.empty()) names.insert(name);
    }
    if (static_cast<size_t>(m_window->GetCount()) == names.size() + 1) return;  // none new
    wxString chosen = m_window->GetStringSelection();
    m_window->Clear();
    m_window->Append(U8(text::kLogViewerAllWindows));
    for (const auto& name : names) m_window->Append(wxString::FromUTF8(name));
    if (chosen.empty() || !m_window->SetStringSelection(chosen)) m_window->SetSelection(0);
}

void TLogViewerFrm::ShowWindow(const std::string& name) {
    if (name.empty()) {
        m_window->SetSelection(0);
    } else if (!m_window->SetStringSelection(wxString::FromUTF8(name))) {
        m_window->SetSelection(m_window->Append(wxString::FromUTF8(name)));
    }
    ApplyFilter();
}

void TLogViewerFrm::ApplyFilter() {
    m_typing->Stop();
    const Place place = Remember();
    const int choice = m_window->GetSelection();
    std::string window = choice > 0 ? m_window->GetString(choice).utf8_string() : "";
    m_timeline->SetFilter(window, m_search->GetValue().utf8_string());
    m_model->Reset(static_cast<unsigned>(m_timeline->RowCount()));
    Restore(place);
    UpdateStatus();
}

void TLogViewerFrm::UpdateStatus() {
    wxString status = U8(text::kLogViewerCount);
    status.Replace("%1", wxString::Format("%zu", m_timeline->RowCount()));
    status.Replace("%2", wxString::Format("%zu", m_timeline->EntryCount()));
    if (m_timeline->HasOlder()) status += U8(text::kLogViewerPartial);
    m_status->SetLabel(status);
    m_older->Enable(!m_loading && m_timeline->HasOlder());
}

std::string TLogViewerFrm::Cell(long row, long column) const {
    if (row < 0 || static_cast<size_t>(row) >= m_timeline->RowCount()) return {};
    const LogEntry& e = m_timeline->Row(static_cast<size_t>(row));
    switch (column) {
        case 0:
            return e.time;
        case 1:
            return CutUtf8Text(e.window, kCellChars);
        case 2:
            return EventName(e.event);
        case 3:
            return CutUtf8Text(e.previous, kCellChars);
        default:
            return CutUtf8Text(e.text, kCellChars);
    }
}

}  // namespace nuvaro
