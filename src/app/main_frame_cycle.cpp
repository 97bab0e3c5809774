// The monitoring cycle's handlers of the main window: each hands over to the engine.
#include "app/main_frame.h"
#include "app/monitor_window.h"

namespace nuvaro {

bool TMainFrm::IsMonitoring(int n) const { return m_engine->IsMonitoring(n); }

bool TMainFrm::TickInProgress(int n) const { return m_engine->TickInProgress(n); }

void TMainFrm::RunBeginClick() { m_engine->StartStop(0); }

void TMainFrm::RunBeginNClick(int n) { m_engine->StartStop(n); }

void TMainFrm::Timer1Timer() { m_engine->Run(0, TickKind::Timer); }

void TMainFrm::TimeWindowN(int n) { TimerNTimer(n, TickKind::Timer); }

void TMainFrm::TimerNTimer(int n, TickKind kind) { m_engine->Run(n, kind); }

void TMainFrm::RzBitBtn3Click() { m_engine->Run(0, TickKind::Test); }

void TMainFrm::RzBitBtn3NClick(int n) { TimerNTimer(n, TickKind::Test); }

void TMainFrm::GetTextNow(int n) { m_engine->GetTextNow(n); }

}  // namespace nuvaro
