#pragma once

#include <mutex>

#include "notify/delivery_clock.h"

namespace nuvaro::testing {

// Delivery time that moves only when a test sets it. Waiting workers look at it again every
// few milliseconds of real time.
class FakeDeliveryClock : public DeliveryClock {
  public:
    TimePoint Now() const override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }
    WallTime WallNow() const override {
        return kWallStart + std::chrono::duration_cast<WallTime::duration>(Now() - kStart);
    }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                   TimePoint) override {
        changed.wait_for(lock, std::chrono::milliseconds(2));
    }
    void Set(TimePoint t) {
        std::lock_guard lock(m_mutex);
        m_now = t;
    }
    void Advance(std::chrono::milliseconds span) { Set(Now() + span); }

    // Not the epoch of the steady clock: an unset time point means "now" to a channel.
    static constexpr TimePoint kStart = TimePoint{} + std::chrono::hours(1000);
    static inline const WallTime kWallStart =
        WallTime{} + std::chrono::seconds(1796000000);  // late in November 2026

  private:
    mutable std::mutex m_mutex;
    TimePoint m_now = kStart;
};

}  // namespace nuvaro::testing
