#include "harness/gui_pump.h"

#include <wx/app.h>
#include <wx/event.h>
#include <wx/evtloop.h>
#include <wx/window.h>

#include <chrono>
#include <thread>

namespace nuvaro::testing {
namespace {

void DispatchPending() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    for (int i = 0; loop && i < 1000 && loop->Pending(); ++i) loop->Dispatch();
    if (wxTheApp) {
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        DispatchPending();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Click(wxWindow* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
}

void Pump(int ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace nuvaro::testing
