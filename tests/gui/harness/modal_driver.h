#pragma once

#include <wx/timer.h>

#include <functional>

class wxDialog;

namespace nuvaro::testing {

// Drives the next dialog that runs modally, from inside its real modal loop: `drive` gets the
// dialog once it is on screen (fill fields, press buttons). A dialog still open after the
// time-out is cancelled and the test fails, so a test never hangs on a dialog.
class ModalDriver {
  public:
    explicit ModalDriver(std::function<void(wxDialog&)> drive, int timeoutMs = 20000);
    ~ModalDriver();

    // Whether `drive` has run.
    bool Ran() const { return m_ran; }
    // Whether a modal dialog is open now.
    static bool ModalOpen();

  private:
    void Poll();

    std::function<void(wxDialog&)> m_drive;
    wxTimer m_timer;
    int m_timeoutMs;
    long long m_started;
    bool m_ran = false;
};

}  // namespace nuvaro::testing
