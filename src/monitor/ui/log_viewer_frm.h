#pragma once

#include <wx/frame.h>

#include <map>
#include <memory>
#include <string>

#include "monitor/log_timeline.h"

class wxBoxSizer;
class wxButton;
class wxChoice;
class wxDataViewCtrl;
class wxPanel;
class wxStaticText;
class wxTextCtrl;
class wxTimer;

namespace nuvaro {

// The history of what the program did, read from its logs (monitoring, errors, deliveries) and
// shown newest first, with a filter by window and a text search. Not modal: monitoring and the
// rest of the program go on while it is open. It follows the logs: entries written while it is
// open appear at the top, the selection and the rows in view stay where they were. A large log
// opens at once: only its newest part is read first, older parts when asked for. The logs are
// read on a thread of their own, so a log of any size never freezes the program.
class TLogViewerFrm : public wxFrame {
  public:
    // `windowOfSlot`: slot number -> window name, taken now (the send log names slots only).
    TLogViewerFrm(wxWindow* owner, std::map<std::string, std::string> windowOfSlot);
    ~TLogViewerFrm() override;

    // Looks for new entries now (they are also looked for every second).
    void Reload();
    // Shows only the entries of the window of that name (UTF-8; "" for all windows).
    void ShowWindow(const std::string& name);
    bool Loading() const { return m_loading; }

    // Shown rows, for the program and its tests.
    const LogTimeline& Timeline() const { return *m_timeline; }
    wxDataViewCtrl* List() const { return m_table; }
    // Rows the table holds now.
    unsigned RowCount() const;
    wxChoice* WindowFilter() const { return m_window; }
    wxTextCtrl* Search() const { return m_search; }
    wxButton* OpenRawButton() const { return m_openRaw; }
    wxButton* OlderButton() const { return m_older; }
    // Applies the filter and the search now (typing applies them a moment later).
    void ApplyFilter();
    // Reads the part of the logs before what is shown.
    void ReadOlder();

    // The cell text of a shown row (UTF-8): time, window, event, the value before a change,
    // the text; on one line and cut to a length a cell can show.
    std::string Cell(long row, long column) const;

  private:
    class LogModel;
    struct Place;
    void BuildLayout();
    wxBoxSizer* BuildSearchBar(wxPanel* panel);
    void BuildTable(wxPanel* panel);
    WindowOfSlot Names() const;
    void Run(LogTimeline::Step step);
    void Loaded(LogTimeline::Batch batch);
    Place Remember() const;
    void Restore(const Place& place);
    void FillWindowChoice();
    void UpdateStatus();

    std::map<std::string, std::string> m_windowOfSlot;
    std::unique_ptr<LogTimeline> m_timeline;
    wxChoice* m_window = nullptr;
    wxTextCtrl* m_search = nullptr;
    wxButton* m_openRaw = nullptr;
    wxButton* m_older = nullptr;
    wxDataViewCtrl* m_table = nullptr;
    LogModel* m_model = nullptr;  // owned by the table
    wxStaticText* m_status = nullptr;
    std::unique_ptr<wxTimer> m_typing;
    std::unique_ptr<wxTimer> m_follow;
    std::string m_wantedWindow;  // to choose once the logs have named it
    bool m_loading = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
