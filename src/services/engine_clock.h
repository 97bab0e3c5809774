#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace nuvaro {

// Time and one-shot timers of the user-interface thread, as the monitoring engine uses them.
class EngineClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using TimerId = uint64_t;  // 0 is never a timer

    virtual ~EngineClock() = default;
    virtual TimePoint Now() const = 0;
    // Runs `fn` once on the UI thread after `delay`, never from inside this call.
    virtual TimerId StartOnce(std::chrono::milliseconds delay, std::function<void()> fn) = 0;
    // A timer that has not fired yet never fires; an unknown or fired one is ignored.
    virtual void Cancel(TimerId id) = 0;
};

// A one-shot timer that is cancelled when it is restarted or destroyed.
class OneShot {
  public:
    explicit OneShot(EngineClock& clock) : m_clock(&clock) {}
    ~OneShot() { Stop(); }
    OneShot(const OneShot&) = delete;
    OneShot& operator=(const OneShot&) = delete;

    void Start(std::chrono::milliseconds delay, std::function<void()> fn) {
        Stop();
        m_id = m_clock->StartOnce(delay, [this, fn = std::move(fn)] {
            m_id = 0;
            fn();
        });
    }
    void Stop() {
        if (m_id) m_clock->Cancel(m_id);
        m_id = 0;
    }
    bool Running() const { return m_id != 0; }

  private:
    EngineClock* m_clock;
    EngineClock::TimerId m_id = 0;
};

}  // namespace nuvaro
