#include "monitor/ui/log_viewer_frm.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dataview.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include <thread>

#include "core/texts.h"
#include "monitor/monitor_log.h"
#include "platform/ui_work_queue.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "ui/design.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr int kTypingDelayMs = 250;

// A found text of several lines shows on one line of the table.
std::string OneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\r' || text[i] == '\n') {
            out += " ↵ ";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

// The table asks for the texts of the rows on screen only: a log of any length fills it at once.
class TLogViewerFrm::LogModel : public wxDataViewVirtualListModel {
public:
    explicit LogModel(const TLogViewerFrm& owner) : m_owner(owner) {}

    unsigned GetColumnCount() const override { return 4; }
    wxString GetColumnType(unsigned) const override { return "string"; }
    void GetValueByRow(wxVariant& value, unsigned row, unsigned column) const override {
        value = wxString::FromUTF8(m_owner.Cell(row, column));
    }
    bool SetValueByRow(const wxVariant&, unsigned, unsigned) override { return false; }

private:
    const TLogViewerFrm& m_owner;
};

TLogViewerFrm::TLogViewerFrm(wxWindow* owner, std::map<std::string, std::string> windowOfSlot)
    : wxFrame(owner, wxID_ANY, U8(text::kLogViewerCaption), wxDefaultPosition, wxSize(860, 560),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      m_windowOfSlot(std::move(windowOfSlot)),
      m_typing(std::make_unique<wxTimer>()) {
    SetName("LogViewerFrm");
    auto* panel = new wxPanel(this);
    panel->SetBackgroundColour(design::FormColour());
    panel->SetFont(design::FormFont());
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

    m_table = new wxDataViewCtrl(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                 wxDV_SINGLE | wxDV_ROW_LINES);
    m_model = new LogModel(*this);
    m_table->AssociateModel(m_model);
    m_model->DecRef();
    const std::pair<const char*, int> columns[] = {{text::kLogViewerTime, 140},
                                                   {text::kLogViewerWindowColumn, 110},
                                                   {text::kLogViewerEvent, 120},
                                                   {text::kLogViewerText, 440}};
    for (unsigned c = 0; c < 4; ++c) {
        m_table->AppendTextColumn(U8(columns[c].first), c, wxDATAVIEW_CELL_INERT,
                                  columns[c].second, wxALIGN_LEFT, wxDATAVIEW_COL_RESIZABLE);
    }
    m_status = new wxStaticText(panel, wxID_ANY, {});

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(bar, 0, wxEXPAND | wxALL, 8);
    sizer->Add(m_table, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
    sizer->Add(m_status, 0, wxEXPAND | wxALL, 8);
    panel->SetSizer(sizer);

    m_window->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { ApplyFilter(); });
    m_search->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { m_typing->StartOnce(kTypingDelayMs); });
    m_typing->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { ApplyFilter(); });
    m_openRaw->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetShell().OpenPath(LogFilePath(kMonitorLog)); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
    CentreOnParent();
    Reload();
}

TLogViewerFrm::~TLogViewerFrm() { m_typing->Stop(); }

unsigned TLogViewerFrm::RowCount() const { return m_model->GetCount(); }

void TLogViewerFrm::Reload() {
    m_loading = true;
    m_status->SetLabel(U8(text::kLogViewerLoading));
    std::thread([names = m_windowOfSlot, alive = std::weak_ptr<bool>(m_alive), this] {
        auto windowOf = [&names](std::string_view slot) {
            auto it = names.find(std::string(slot));
            return it == names.end() ? std::string() : it->second;
        };
        auto entries = std::make_shared<std::vector<LogEntry>>(ReadLogHistory(windowOf));
        RunSoon([alive, entries, this] {
            if (!alive.expired()) Loaded(std::move(*entries));
        });
    }).detach();
}

void TLogViewerFrm::Loaded(std::vector<LogEntry> entries) {
    m_entries = std::move(entries);
    m_loading = false;
    FillWindowChoice();
    ApplyFilter();
}

void TLogViewerFrm::FillWindowChoice() {
    wxString chosen = m_window->GetStringSelection();
    std::vector<std::string> names;
    for (const auto& [slot, name] : m_windowOfSlot) {
        if (!name.empty()) names.push_back(name);
    }
    for (const LogEntry& e : m_entries) {
        if (!e.window.empty()) names.push_back(e.window);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    m_window->Clear();
    m_window->Append(U8(text::kLogViewerAllWindows));
    for (const auto& name : names) m_window->Append(wxString::FromUTF8(name));
    if (chosen.empty() || !m_window->SetStringSelection(chosen)) m_window->SetSelection(0);
}

void TLogViewerFrm::ApplyFilter() {
    m_typing->Stop();
    const int choice = m_window->GetSelection();
    std::string window = choice > 0 ? m_window->GetString(choice).utf8_string() : "";
    m_shown = FilterEntries(m_entries, window, m_search->GetValue().utf8_string());
    m_model->Reset(static_cast<unsigned>(m_shown.size()));
    UpdateStatus();
}

void TLogViewerFrm::UpdateStatus() {
    wxString status = U8(text::kLogViewerCount);
    status.Replace("%1", wxString::Format("%zu", m_shown.size()));
    status.Replace("%2", wxString::Format("%zu", m_entries.size()));
    m_status->SetLabel(status);
}

std::string TLogViewerFrm::Cell(long row, long column) const {
    if (row < 0 || static_cast<size_t>(row) >= m_shown.size()) return {};
    const LogEntry& e = m_entries[m_shown[static_cast<size_t>(row)]];
    switch (column) {
        case 0: return e.time;
        case 1: return e.window;
        case 2: return EventName(e.event);
        default: return OneLine(e.text);
    }
}

}  // namespace nuvaro
