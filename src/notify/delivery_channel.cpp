#include "notify/delivery_channel.h"

#include <algorithm>

#include "core/gbk.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

using TimePoint = DeliveryClock::TimePoint;

class SystemClock : public DeliveryClock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    WallTime WallNow() const override { return std::chrono::system_clock::now(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                   TimePoint due) override {
        changed.wait_until(lock, due);
    }
};

}  // namespace

DeliveryClock& DeliveryClock::System() {
    static SystemClock clock;
    return clock;
}

DeliveryChannel::DeliveryChannel(DeliveryPolicy policy, FinalFailure finalFailure,
                                 DeliveryJournal* journal)
    : m_policy(std::move(policy)),
      m_finalFailure(std::move(finalFailure)),
      m_journal(journal),
      m_clock(m_policy.clock ? *m_policy.clock : DeliveryClock::System()) {}

DeliveryChannel::~DeliveryChannel() {
    Close();
    Join();
}

bool DeliveryChannel::Add(DeliveryJob job) {
    std::lock_guard lock(m_mutex);
    if (m_closed || m_jobs.size() + m_running >= m_policy.queueLimit) return false;
    const TimePoint now = m_clock.Now();
    if (job.due == TimePoint{}) job.due = now;
    if (job.raised == TimePoint{}) job.raised = now;
    m_jobs.push_back(std::move(job));
    SpawnIfNeededLocked();
    m_changed.notify_all();
    return true;
}

// Due, or at close a job that no journal keeps for the next start.
bool DeliveryChannel::ReadyLocked(const DeliveryJob& job, TimePoint now) const {
    return job.due <= now || (m_closed && job.key.empty());
}

DeliveryChannel::Jobs::iterator DeliveryChannel::NextReadyLocked(TimePoint now) {
    auto next = m_jobs.end();
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if (ReadyLocked(*it, now) && (next == m_jobs.end() || it->due < next->due)) next = it;
    }
    return next;
}

// Open, nothing waits or runs; closed, nothing runs and nothing more will be tried now.
bool DeliveryChannel::IdleLocked() {
    if (m_running > 0) return false;
    return m_closed ? NextReadyLocked(m_clock.Now()) == m_jobs.end() : m_jobs.empty();
}

// A job that is due and finds no free worker gets one of its own, up to the policy's number.
void DeliveryChannel::SpawnIfNeededLocked() {
    const auto now = m_clock.Now();
    size_t due = std::count_if(m_jobs.begin(), m_jobs.end(),
                               [&](const DeliveryJob& job) { return ReadyLocked(job, now); });
    // A job that waits for its time (one resumed from the outbox) needs a worker to watch it.
    if (due == 0 && !m_closed && !m_jobs.empty() && m_workers.empty()) due = 1;
    while (due > m_waitingWorkers && m_workers.size() < m_policy.workers) {
        m_workers.emplace_back([this] { Work(); });
        --due;
    }
}

void DeliveryChannel::Work() {
    std::unique_lock lock(m_mutex);
    while (true) {
        auto next = NextReadyLocked(m_clock.Now());
        if (next == m_jobs.end()) {
            if (m_closed) return;  // what is left waits in the journal
            ++m_waitingWorkers;
            if (m_jobs.empty()) {
                m_changed.wait(lock);
            } else {
                auto earliest =
                    std::min_element(m_jobs.begin(), m_jobs.end(),
                                     [](const auto& a, const auto& b) { return a.due < b.due; });
                m_clock.WaitUntil(lock, m_changed, earliest->due);
            }
            --m_waitingWorkers;
            continue;
        }
        DeliveryJob job = std::move(*next);
        m_jobs.erase(next);
        ++m_running;
        SpawnIfNeededLocked();
        lock.unlock();
        if (m_journal && !job.key.empty()) m_journal->Trying(job);
        TryResult result;
        try {
            result = job.run(job.attempt);
        } catch (...) {
            result = {TryOutcome::Permanent, ToGbk(text::kSendInternalError)};
        }
        Settle(std::move(job), result);
        lock.lock();
        --m_running;
        m_changed.notify_all();
    }
}

// The next try of a job whose try failed for a passing reason; false when it has had its tries.
bool DeliveryChannel::ScheduleRetry(DeliveryJob& job) const {
    const size_t retriesDone = static_cast<size_t>(job.attempt) - 1;
    const bool later = !job.test && m_policy.giveUpAfter.count() > 0;
    std::chrono::milliseconds pause;
    if (retriesDone < m_policy.retryPauses.size()) {
        pause = m_policy.retryPauses[retriesDone];
    } else if (later) {
        pause = m_policy.laterPause;
    } else {
        return false;
    }
    const TimePoint now = m_clock.Now();
    job.due = now + pause;
    if (later) {
        const TimePoint end = job.raised + m_policy.giveUpAfter;
        if (now >= end) return false;
        job.due = std::min(job.due, end);
    }
    ++job.attempt;
    return true;
}

// A passing failure with tries left waits for its pause (at close only a kept one); any other
// failure is final.
void DeliveryChannel::Settle(DeliveryJob job, const TryResult& result) {
    const bool kept = m_journal && !job.key.empty();
    if (result.outcome == TryOutcome::Sent) {
        if (kept) m_journal->Settled(job);
        return;
    }
    bool closed;
    {
        std::lock_guard lock(m_mutex);
        closed = m_closed;
    }
    if (result.outcome == TryOutcome::Passing && (kept || !closed) && ScheduleRetry(job)) {
        if (kept) m_journal->Waiting(job);
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        return;
    }
    if (kept) m_journal->Settled(job);
    if (m_finalFailure) m_finalFailure(job, result.reason);
}

std::optional<TimePoint> DeliveryChannel::NextDue() {
    std::lock_guard lock(m_mutex);
    if (m_running > 0 || m_jobs.empty()) return std::nullopt;
    return std::min_element(m_jobs.begin(), m_jobs.end(),
                            [](const auto& a, const auto& b) { return a.due < b.due; })
        ->due;
}

bool DeliveryChannel::WaitUntilIdle(std::chrono::milliseconds timeout) {
    return WaitUntilIdleUntil(std::chrono::steady_clock::now() + timeout);
}

bool DeliveryChannel::WaitUntilIdleUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_until(lock, deadline, [this] { return IdleLocked(); });
}

void DeliveryChannel::Close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    SpawnIfNeededLocked();
    m_changed.notify_all();
}

std::vector<DeliveryJob> DeliveryChannel::TakeWaiting() {
    std::lock_guard lock(m_mutex);
    std::vector<DeliveryJob> left(std::make_move_iterator(m_jobs.begin()),
                                  std::make_move_iterator(m_jobs.end()));
    m_jobs.clear();
    m_changed.notify_all();
    return left;
}

void DeliveryChannel::Join() {
    while (true) {
        std::vector<std::thread> workers;
        {
            std::lock_guard lock(m_mutex);
            workers.swap(m_workers);
        }
        if (workers.empty()) return;
        for (auto& worker : workers) worker.join();
    }
}

}  // namespace nuvaro
