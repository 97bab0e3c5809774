#include "notify/delivery_channel.h"

#include <algorithm>

#include "core/gbk.h"
#include "core/texts.h"

namespace nuvaro {

using Clock = std::chrono::steady_clock;

DeliveryChannel::DeliveryChannel(DeliveryPolicy policy, FinalFailure finalFailure)
    : m_policy(std::move(policy)), m_finalFailure(std::move(finalFailure)) {}

DeliveryChannel::~DeliveryChannel() {
    Close();
    Join();
}

bool DeliveryChannel::Add(DeliveryJob job) {
    std::lock_guard lock(m_mutex);
    if (m_closed || m_jobs.size() + m_running >= m_policy.queueLimit) return false;
    if (job.due == Clock::time_point{}) job.due = Clock::now();
    m_jobs.push_back(std::move(job));
    SpawnIfNeededLocked();
    m_changed.notify_all();
    return true;
}

// A job that is due and finds no free worker gets one of its own, up to the policy's number.
void DeliveryChannel::SpawnIfNeededLocked() {
    const auto now = Clock::now();
    size_t due = std::count_if(m_jobs.begin(), m_jobs.end(),
                               [&](const DeliveryJob& job) { return m_closed || job.due <= now; });
    while (due > m_waitingWorkers && m_workers.size() < m_policy.workers) {
        m_workers.emplace_back([this] { Work(); });
        --due;
    }
}

void DeliveryChannel::Work() {
    std::unique_lock lock(m_mutex);
    while (true) {
        if (m_jobs.empty()) {
            if (m_closed) return;
            ++m_waitingWorkers;
            m_changed.wait(lock);
            --m_waitingWorkers;
            continue;
        }
        auto next = std::min_element(m_jobs.begin(), m_jobs.end(),
                                     [](const auto& a, const auto& b) { return a.due < b.due; });
        if (!m_closed && next->due > Clock::now()) {
            ++m_waitingWorkers;
            m_changed.wait_until(lock, next->due);
            --m_waitingWorkers;
            continue;
        }
        DeliveryJob job = std::move(*next);
        m_jobs.erase(next);
        ++m_running;
        SpawnIfNeededLocked();
        lock.unlock();
        TryResult result;
        try {
            result = job.run(job.attempt);
        } catch (...) {
            result = {TryOutcome::Permanent, Gbk(text::kSendInternalError)};
        }
        Settle(std::move(job), result);
        lock.lock();
        --m_running;
        m_changed.notify_all();
    }
}

// A passing failure with retries left waits for its pause; any other failure is final.
void DeliveryChannel::Settle(DeliveryJob job, const TryResult& result) {
    if (result.outcome == TryOutcome::Sent) return;
    {
        std::lock_guard lock(m_mutex);
        size_t retriesDone = static_cast<size_t>(job.attempt) - 1;
        if (result.outcome == TryOutcome::Passing && !m_closed &&
            retriesDone < m_policy.retryPauses.size()) {
            job.due = Clock::now() + m_policy.retryPauses[retriesDone];
            ++job.attempt;
            m_jobs.push_back(std::move(job));
            return;
        }
    }
    if (m_finalFailure) m_finalFailure(job, result.reason);
}

bool DeliveryChannel::WaitUntilIdle(std::chrono::milliseconds timeout) {
    return WaitUntilIdleUntil(Clock::now() + timeout);
}

bool DeliveryChannel::WaitUntilIdleUntil(Clock::time_point deadline) {
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
