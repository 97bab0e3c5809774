#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nuvaro {

// How a channel delivers: how often and when it tries again, how many sends run at once, how
// many deliveries may wait.
struct DeliveryPolicy {
    // The pause before each retry; as many retries as pauses.
    std::vector<std::chrono::milliseconds> retryPauses{
        std::chrono::seconds(30), std::chrono::minutes(2), std::chrono::minutes(10)};
    size_t workers = 4;       // sends of one channel running side by side
    size_t queueLimit = 100;  // deliveries of one channel waiting or running
};

enum class TryOutcome { Sent, Passing, Permanent };

struct TryResult {
    TryOutcome outcome = TryOutcome::Permanent;
    std::string reason;  // GBK
};

// One notice to one recipient over one channel, tried until it is sent, fails for good or has
// used up its retries.
struct DeliveryJob {
    std::string slot;                           // slot number, empty when unknown
    std::string windowName;                     // GBK
    std::string recipient;                      // GBK
    bool test = false;                          // a test send of the recipient dialog
    std::function<TryResult(int attempt)> run;  // one try; logs it
    int attempt = 1;
    std::chrono::steady_clock::time_point due{};
};

// The deliveries of one channel, on workers of their own: a send that hangs holds up no other
// channel, and the recipients of one notice run side by side. A try that fails for a passing
// reason is tried again after the policy's pause. `finalFailure` hears of every delivery that
// finally failed, on the worker that tried it last.
class DeliveryChannel {
  public:
    using FinalFailure = std::function<void(const DeliveryJob& job, const std::string& reason)>;

    DeliveryChannel(DeliveryPolicy policy, FinalFailure finalFailure);
    // Close(), then waits for the running tries.
    ~DeliveryChannel();
    DeliveryChannel(const DeliveryChannel&) = delete;
    DeliveryChannel& operator=(const DeliveryChannel&) = delete;

    // False when the channel is full or closed; the job is then not taken.
    bool Add(DeliveryJob job);
    // True once nothing waits or runs; false when `timeout` passed first.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    bool WaitUntilIdleUntil(std::chrono::steady_clock::time_point deadline);

    // Takes no more jobs; what waits, retries included, is tried now, once more at most.
    void Close();
    // The jobs not yet begun (they will not be); call after Close().
    std::vector<DeliveryJob> TakeWaiting();
    // Waits for the workers to end (after Close() and TakeWaiting(), once the tries end).
    void Join();

  private:
    void Work();
    bool IdleLocked() const { return m_jobs.empty() && m_running == 0; }
    void SpawnIfNeededLocked();
    void Settle(DeliveryJob job, const TryResult& result);

    const DeliveryPolicy m_policy;
    const FinalFailure m_finalFailure;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<DeliveryJob> m_jobs;
    size_t m_running = 0;
    size_t m_waitingWorkers = 0;
    bool m_closed = false;
    std::vector<std::thread> m_workers;
};

}  // namespace nuvaro
