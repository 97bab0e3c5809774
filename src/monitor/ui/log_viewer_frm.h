#pragma once

#include <wx/frame.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "monitor/log_history.h"

class wxButton;
class wxChoice;
class wxDataViewCtrl;
class wxStaticText;
class wxTextCtrl;
class wxTimer;

namespace nuvaro {

// The history of what the program did, read from its logs (monitoring, errors, deliveries) and
// shown newest first, with a filter by window and a text search. Not modal: monitoring and the
// rest of the program go on while it is open. The logs are read on a thread of their own, so a
// log of any size never freezes the program.
class TLogViewerFrm : public wxFrame {
public:
    // `windowOfSlot`: slot number -> window name, taken now (the send log names slots only).
    TLogViewerFrm(wxWindow* owner, std::map<std::string, std::string> windowOfSlot);
    ~TLogViewerFrm() override;

    // Reads the logs again (in the background).
    void Reload();
    bool Loading() const { return m_loading; }

    // Shown rows, for the program and its tests.
    const std::vector<LogEntry>& Entries() const { return m_entries; }
    const std::vector<size_t>& Shown() const { return m_shown; }
    wxDataViewCtrl* List() const { return m_table; }
    // Rows the table holds now.
    unsigned RowCount() const;
    wxChoice* WindowFilter() const { return m_window; }
    wxTextCtrl* Search() const { return m_search; }
    wxButton* OpenRawButton() const { return m_openRaw; }
    // Applies the filter and the search now (typing applies them a moment later).
    void ApplyFilter();

    // The cell text of a shown row (UTF-8): time, window, event, text on one line.
    std::string Cell(long row, long column) const;

private:
    class LogModel;
    void Loaded(std::vector<LogEntry> entries);
    void FillWindowChoice();
    void UpdateStatus();

    std::map<std::string, std::string> m_windowOfSlot;
    wxChoice* m_window = nullptr;
    wxTextCtrl* m_search = nullptr;
    wxButton* m_openRaw = nullptr;
    wxDataViewCtrl* m_table = nullptr;
    LogModel* m_model = nullptr;  // owned by the table
    wxStaticText* m_status = nullptr;
    std::unique_ptr<wxTimer> m_typing;
    std::vector<LogEntry> m_entries;
    std::vector<size_t> m_shown;
    bool m_loading = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
