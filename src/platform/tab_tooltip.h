#pragma once

#include <wx/string.h>

class wxNotebook;

namespace nuvaro {

// The tooltip of one tab of a notebook (the caption's own area, not the page); the notebook
// itself offers none per tab.
void SetTabToolTip(wxNotebook* book, size_t page, const wxString& tip);
wxString TabToolTip(wxNotebook* book, size_t page);

}  // namespace nuvaro
