#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "services/page_source.h"

namespace nuvaro {

// The loads of one page as a browser engine reports them: numbered as they start, each ends
// exactly once whatever the engine reports after (a failure followed by "finished", a load cut
// short by a newer one, the page's process ending). A reload asked while the load under way has
// no document yet takes that load over: engines drop such a reload, and the caller must still
// have a load of its own to wait for.
class LoadLedger {
  public:
    uint64_t Started() const { return m_started; }
    // The newest load has not ended.
    bool Running() const;
    // ... and has not received its document yet.
    bool Provisional() const { return Running() && !m_committed; }
    LoadOutcome Outcome(uint64_t load) const;

    // What the engine reports about its newest load.
    void Start();
    void Commit();
    void Fail(const std::string& error);
    // Cut short by a newer load: no failure, the newer one tells.
    void Supersede();
    // Over; `error` tells a failure the engine counts as finished (an HTTP status). The
    // document's status and Retry-After, when known.
    void Finish(const std::string& error = {}, int httpStatus = 0, std::string retryAfter = {});
    // The page's process ended under the newest load: it ends as `how` says.
    void Cut(LoadOutcome how);

    // A reload asked now takes over the load under way (see Provisional): that load goes on
    // under the next number, and its old number ends superseded.
    void Adopt();

    // Runs once for every load that has ended, with its number.
    std::function<void(uint64_t)> onEnded;

  private:
    void End(LoadOutcome outcome);

    uint64_t m_started = 0;
    bool m_committed = false;
    std::map<uint64_t, LoadOutcome> m_outcomes;  // the last few
};

}  // namespace nuvaro
