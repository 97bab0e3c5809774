#pragma once

#include "platform/notices.h"

namespace nuvaro {

// Message boxes of this desktop: GTK message dialogs with the program's own button texts.
class GtkNotices : public Notices {
public:
    Answer Box(wxWindow* owner, const wxString& text, const wxString& caption, Icon icon,
               Buttons buttons) override;
    void TimedMessage(const wxString& text, int seconds) override;
    wxString ChooseFileToOpen(wxWindow* owner) override;
};

}  // namespace nuvaro
