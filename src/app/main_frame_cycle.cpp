// The monitoring cycle's handlers of the main window: each hands over to the engine.
#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "core/texts.h"
#include "monitor/run_state.h"
#include "services/notices.h"
#include "services/services.h"

namespace nuvaro {

bool TMainFrm::IsMonitoring(int n) const { return m_program.Engine().IsMonitoring(n); }

bool TMainFrm::TickInProgress(int n) const { return m_program.Engine().TickInProgress(n); }

void TMainFrm::StartStopClick() { Engine().StartStop(0); }

void TMainFrm::StartStopNClick(int n) { Engine().StartStop(n); }

void TMainFrm::DefaultPageTimer() { Engine().Run(0, TickKind::Timer); }

void TMainFrm::WindowTimer(int n) { TickWindow(n, TickKind::Timer); }

void TMainFrm::TickWindow(int n, TickKind kind) { Engine().Run(n, kind); }

void TMainFrm::RefreshPageClick() { Engine().Run(0, TickKind::Test); }

void TMainFrm::RefreshPageNClick(int n) { TickWindow(n, TickKind::Test); }

void TMainFrm::GetTextNow(int n) { Engine().GetTextNow(n); }

namespace {

std::string Listed(const char* heading, const std::vector<std::string>& items) {
    std::string text = heading;
    if (items.empty()) return text + text::kAllNone + "\n";
    for (const auto& item : items) text += "\n    " + item;
    return text + "\n";
}

}  // namespace

// One box tells what started and what could not, and why.
void TMainFrm::StartAllClick() {
    RunState::Hold hold(SavedState());  // one write for all
    std::vector<std::string> started, running, refused;
    for (const auto& [window, caption] : WindowsInTabOrder()) {
        const int n = window->Number();
        if (IsMonitoring(n)) {
            running.push_back(caption);
            continue;
        }
        MonitorEngine::StartOutcome outcome = Engine().Start(n);
        if (outcome.started) {
            started.push_back(caption + "（" + outcome.minutes + text::kStartedMinutes + "）");
        } else {
            refused.push_back(caption + "：" + outcome.why);
        }
    }
    std::string text = Listed(text::kAllStarted, started);
    if (!running.empty()) text += Listed(text::kAllAlreadyRunning, running);
    text += Listed(text::kAllNotStarted, refused);
    GetNotices().PostMessage(text);
}

void TMainFrm::StopAllClick() {
    RunState::Hold hold(SavedState());
    std::vector<std::string> stopped;
    for (const auto& [window, caption] : WindowsInTabOrder()) {
        if (!IsMonitoring(window->Number())) continue;
        Engine().Stop(window->Number());
        stopped.push_back(caption);
    }
    GetNotices().PostMessage(Listed(text::kAllStopped, stopped));
}

}  // namespace nuvaro
