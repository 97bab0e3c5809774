#pragma once

#include <string_view>

#include "core/gbk_text.h"
#include "ui/modal_form.h"

class wxStyledTextCtrl;
class wxStyledTextEvent;

namespace nuvaro {

// Shows the body markup of a window's page in an HTML-highlighting editor. The text may be
// edited there but goes nowhere.
class TWebSourceFrm : public ModalForm {
  public:
    // `title` and `source` as read from the page.
    TWebSourceFrm(const GbkText& title, const GbkText& source);

    wxStyledTextCtrl* Editor() const { return m_editor; }

  private:
    void StyleEditor();
    void MarkCaretLine(wxStyledTextEvent& event);

    wxStyledTextCtrl* m_editor = nullptr;
    int m_markedLine = -1;
};

}  // namespace nuvaro
