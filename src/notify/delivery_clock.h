#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace nuvaro {

// The time the deliveries keep: the steady clock for pauses, the wall clock for what the outbox
// writes down across restarts. Tests put a clock of their own in its place.
class DeliveryClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using WallTime = std::chrono::system_clock::time_point;

    virtual ~DeliveryClock() = default;
    virtual TimePoint Now() const = 0;
    virtual WallTime WallNow() const = 0;
    // Waits on `changed` (with `lock` held) until `due` by this clock at most; a notification
    // or a spurious wake may end the wait sooner.
    virtual void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                           TimePoint due) = 0;

    // The wall-clock time of `t`, and back.
    WallTime ToWall(TimePoint t) const {
        return WallNow() + std::chrono::duration_cast<WallTime::duration>(t - Now());
    }
    TimePoint FromWall(WallTime t) const {
        return Now() + std::chrono::duration_cast<TimePoint::duration>(t - WallNow());
    }

    // The system's clocks.
    static DeliveryClock& System();
};

}  // namespace nuvaro
