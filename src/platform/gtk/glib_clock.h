#pragma once

#include <map>
#include <memory>

#include "services/engine_clock.h"

namespace nuvaro {

// The engine's timers on the GLib main loop: each one-shot timer is a timeout source of its
// own, so a timer never waits behind another one's work.
class GlibClock : public EngineClock {
  public:
    GlibClock();
    ~GlibClock() override;
    GlibClock(const GlibClock&) = delete;
    GlibClock& operator=(const GlibClock&) = delete;

    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    TimerId StartOnce(std::chrono::milliseconds delay, std::function<void()> fn) override;
    void Cancel(TimerId id) override;

  private:
    struct Pending;
    static int Fire(void* data);

    TimerId m_next = 1;
    std::map<TimerId, std::unique_ptr<Pending>> m_pending;
};

}  // namespace nuvaro
