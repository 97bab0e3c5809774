#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>

#include "services/notices.h"

namespace nuvaro {

// A message box of the program's own: the system's MessageBox runs a loop that serves no posted
// work, so a box open there would hold up ticks and deliveries. This one runs the toolkit's loop
// when modal, and none when posted.
class BoxDialog : public wxDialog {
  public:
    BoxDialog(wxWindow* owner, const std::string& text, const std::string& caption,
              Notices::Icon icon, Notices::Buttons buttons);

    // Shown without a loop of its own; `closed` runs once the user (or the count-down, see
    // CountDown) has answered it, and the box then destroys itself.
    void ShowPosted(Notices::Closed closed);
    // Closes as OK after `seconds`, showing the whole seconds left in the title.
    void CountDown(int seconds);

  private:
    void Answer(int id);
    void Cascade();
    void Tick();

    Notices::Closed m_closed;
    bool m_posted = false;
    wxTimer m_timer;
    std::chrono::steady_clock::time_point m_shown;
    int m_seconds = 0;
    int m_cascade = 0;  // its step down and to the right from where a box first goes
};

// Text of a box: a lone CR starts a new line; bytes that are not UTF-8 show as U+FFFD.
wxString BoxText(const std::string& utf8);

}  // namespace nuvaro
