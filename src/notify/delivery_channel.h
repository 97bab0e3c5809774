#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/gbk_text.h"
#include "notify/delivery_clock.h"

namespace nuvaro {

// How a channel delivers: how often and when it tries again, how many sends run at once, how
// many deliveries may wait.
struct DeliveryPolicy {
    // The pause before each of the first retries.
    std::vector<std::chrono::milliseconds> retryPauses{
        std::chrono::seconds(30), std::chrono::minutes(2), std::chrono::minutes(10)};
    // After those, a notice (not a test send) is tried again at this pause until `giveUpAfter`
    // has passed since it was raised, the last try at that mark. 0: the first retries only.
    std::chrono::milliseconds laterPause = std::chrono::minutes(30);
    std::chrono::milliseconds giveUpAfter = std::chrono::hours(24);
    size_t workers = 4;              // sends of one channel running side by side
    size_t queueLimit = 100;         // deliveries of one channel waiting or running
    DeliveryClock* clock = nullptr;  // null: the system's
};

enum class TryOutcome { Sent, Passing, Permanent };

struct TryResult {
    TryOutcome outcome = TryOutcome::Permanent;
    GbkText reason;
};

// One notice to one recipient over one channel, tried until it is sent, fails for good or has
// used up its retries.
struct DeliveryJob {
    std::string slot;  // slot number, empty when unknown
    GbkText windowName;
    GbkText recipient;
    bool test = false;                          // a test send of the recipient dialog
    std::function<TryResult(int attempt)> run;  // one try; logs it
    int attempt = 1;
    DeliveryClock::TimePoint due{};     // unset: now
    DeliveryClock::TimePoint raised{};  // when the notice was raised; unset: now
    std::string key;                    // its entry in the journal; empty: kept in memory only
};

// Where a channel writes down what becomes of the jobs that have a key (the outbox), so that
// they outlive the process. Called on the channel's workers, never under its lock.
class DeliveryJournal {
  public:
    virtual ~DeliveryJournal() = default;
    virtual void Trying(const DeliveryJob& job) = 0;   // a try of `job.attempt` begins
    virtual void Waiting(const DeliveryJob& job) = 0;  // the next try is `job.attempt` at `job.due`
    virtual void Settled(const DeliveryJob& job) = 0;  // sent, or failed for good
};

// The deliveries of one channel, on workers of their own: a send that hangs holds up no other
// channel, and the recipients of one notice run side by side. A try that fails for a passing
// reason is tried again after the policy's pause. `finalFailure` hears of every delivery that
// finally failed, on the worker that tried it last. Jobs with a key are written down in the
// journal before each try and after it.
class DeliveryChannel {
  public:
    using FinalFailure = std::function<void(const DeliveryJob& job, const GbkText& reason)>;

    DeliveryChannel(DeliveryPolicy policy, FinalFailure finalFailure,
                    DeliveryJournal* journal = nullptr);
    // Close(), then waits for the running tries.
    ~DeliveryChannel();
    DeliveryChannel(const DeliveryChannel&) = delete;
    DeliveryChannel& operator=(const DeliveryChannel&) = delete;

    // False when the channel is full or closed; the job is then not taken.
    bool Add(DeliveryJob job);
    // True once nothing waits or runs; false when `timeout` passed first.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    bool WaitUntilIdleUntil(std::chrono::steady_clock::time_point deadline);

    // The earliest due time of the jobs waiting, while none is being tried; nullopt otherwise.
    std::optional<DeliveryClock::TimePoint> NextDue();

    // Takes no more jobs. What waits without a key, retries included, is tried now, once more
    // at most; a job with a key is tried only when due, and one whose try fails for a passing
    // reason meanwhile waits for its retry in the journal.
    void Close();
    // The jobs not yet begun (they will not be); call after Close().
    std::vector<DeliveryJob> TakeWaiting();
    // Waits for the workers to end (after Close() and TakeWaiting(), once the tries end).
    void Join();

  private:
    using Jobs = std::deque<DeliveryJob>;
    void Work();
    bool ReadyLocked(const DeliveryJob& job, DeliveryClock::TimePoint now) const;
    Jobs::iterator NextReadyLocked(DeliveryClock::TimePoint now);
    bool IdleLocked();
    void SpawnIfNeededLocked();
    void Settle(DeliveryJob job, const TryResult& result);
    bool ScheduleRetry(DeliveryJob& job) const;

    const DeliveryPolicy m_policy;
    const FinalFailure m_finalFailure;
    DeliveryJournal* const m_journal;
    DeliveryClock& m_clock;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    Jobs m_jobs;
    size_t m_running = 0;
    size_t m_waitingWorkers = 0;
    bool m_closed = false;
    std::vector<std::thread> m_workers;
};

}  // namespace nuvaro
