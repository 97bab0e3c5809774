#include "harness/modal_driver.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/time.h>
#include <wx/toplevel.h>

namespace nuvaro::testing {
namespace {

wxDialog* OpenModalDialog() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal() && dialog->IsShown()) return dialog;
    }
    return nullptr;
}

}  // namespace

ModalDriver::ModalDriver(std::function<void(wxDialog&)> drive, int timeoutMs)
    : m_drive(std::move(drive)),
      m_timeoutMs(timeoutMs),
      m_started(wxGetLocalTimeMillis().GetValue()) {
    m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Poll(); });
    m_timer.Start(20);
}

ModalDriver::~ModalDriver() { m_timer.Stop(); }

bool ModalDriver::ModalOpen() { return OpenModalDialog() != nullptr; }

void ModalDriver::Poll() {
    wxDialog* dialog = OpenModalDialog();
    if (!m_ran && dialog) {
        m_ran = true;
        m_drive(*dialog);
        return;
    }
    if (wxGetLocalTimeMillis().GetValue() - m_started < m_timeoutMs) return;
    m_timer.Stop();
    if (dialog) {
        ADD_FAILURE() << "a dialog was left open: " << dialog->GetTitle().utf8_string();
        dialog->EndModal(wxID_CANCEL);
    } else if (!m_ran) {
        ADD_FAILURE() << "no dialog was shown";
    }
}

}  // namespace nuvaro::testing
