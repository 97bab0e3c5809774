#include "monitor/load_ledger.h"

namespace nuvaro {
namespace {

constexpr size_t kOutcomesKept = 16;

}  // namespace

bool LoadLedger::Running() const {
    auto it = m_outcomes.find(m_started);
    return it != m_outcomes.end() && !it->second.finished;
}

LoadOutcome LoadLedger::Outcome(uint64_t load) const {
    auto it = m_outcomes.find(load);
    if (it != m_outcomes.end()) return it->second;
    LoadOutcome forgotten;
    forgotten.finished = load <= m_started;
    return forgotten;
}

void LoadLedger::Start() {
    // An engine that starts anew without ending the load before has cut that one short.
    if (Running()) Supersede();
    m_outcomes[++m_started] = LoadOutcome{};
    m_committed = false;
    while (m_outcomes.size() > kOutcomesKept) m_outcomes.erase(m_outcomes.begin());
}

void LoadLedger::Commit() {
    if (Running()) m_outcomes[m_started].committed = true;
    m_committed = true;
}

void LoadLedger::Fail(const std::string& error) {
    LoadOutcome outcome;
    outcome.failed = true;
    outcome.error = error;
    End(outcome);
}

void LoadLedger::Supersede() {
    LoadOutcome outcome;
    outcome.superseded = true;
    End(outcome);
}

void LoadLedger::Finish(const std::string& error, int httpStatus, std::string retryAfter) {
    LoadOutcome outcome;
    outcome.failed = !error.empty();
    outcome.error = error;
    outcome.httpStatus = httpStatus;
    outcome.retryAfter = std::move(retryAfter);
    End(outcome);
}

void LoadLedger::Cut(LoadOutcome how) { End(how); }

void LoadLedger::Adopt() {
    if (!Running()) return;
    const bool committed = m_committed;
    Start();
    m_committed = m_outcomes[m_started].committed = committed;
}

void LoadLedger::End(LoadOutcome outcome) {
    if (!Running()) return;  // ended already, or never started
    outcome.finished = true;
    outcome.committed = m_outcomes[m_started].committed;
    m_outcomes[m_started] = outcome;
    if (onEnded) onEnded(m_started);
}

}  // namespace nuvaro
