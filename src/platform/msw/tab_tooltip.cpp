#include "platform/tab_tooltip.h"

#include <wx/notebook.h>

#include <map>
#include <vector>

namespace nuvaro {
namespace {

// The tips of each notebook, by page; the notebook shows the one of the tab under the pointer.
std::map<wxNotebook*, std::vector<wxString>>& Tips() {
    static std::map<wxNotebook*, std::vector<wxString>> tips;
    return tips;
}

void FollowPointer(wxNotebook* book) {
    book->Bind(wxEVT_MOTION, [book](wxMouseEvent& event) {
        event.Skip();
        long flags = 0;
        int page = book->HitTest(event.GetPosition(), &flags);
        const auto& tips = Tips()[book];
        wxString tip = page >= 0 && static_cast<size_t>(page) < tips.size() ? tips[page] : "";
        if (book->GetToolTipText() != tip) book->SetToolTip(tip);
    });
    book->Bind(wxEVT_DESTROY, [book](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetWindow() == book) Tips().erase(book);
    });
}

}  // namespace

void SetTabToolTip(wxNotebook* book, size_t page, const wxString& tip) {
    if (!book || page >= book->GetPageCount()) return;
    auto found = Tips().find(book);
    if (found == Tips().end()) {
        found = Tips().emplace(book, std::vector<wxString>()).first;
        FollowPointer(book);
    }
    if (found->second.size() <= page) found->second.resize(page + 1);
    found->second[page] = tip;
}

wxString TabToolTip(wxNotebook* book, size_t page) {
    auto found = Tips().find(book);
    if (found == Tips().end() || page >= found->second.size()) return {};
    return found->second[page];
}

}  // namespace nuvaro
