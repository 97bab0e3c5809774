#pragma once

#include <algorithm>
#include <map>

#include "services/engine_clock.h"

namespace nuvaro::testing {

// Time that moves only when a test moves it; timers fire in the order they are due.
class FakeClock : public EngineClock {
  public:
    TimePoint Now() const override { return m_now; }

    TimerId StartOnce(std::chrono::milliseconds delay, std::function<void()> fn) override {
        const TimerId id = m_next++;
        m_timers.emplace(
            id, Timer{m_now + std::max(delay, std::chrono::milliseconds(0)), std::move(fn)});
        return id;
    }
    void Cancel(TimerId id) override { m_timers.erase(id); }

    // Moves time forward by `span`, firing every timer that falls due on the way, those that
    // the fired ones start included.
    void Advance(std::chrono::milliseconds span) {
        const TimePoint until = m_now + span;
        while (true) {
            auto next = std::min_element(m_timers.begin(), m_timers.end(), [](auto& a, auto& b) {
                return a.second.due < b.second.due ||
                       (a.second.due == b.second.due && a.first < b.first);
            });
            if (next == m_timers.end() || next->second.due > until) break;
            m_now = std::max(m_now, next->second.due);
            auto fn = std::move(next->second.fn);
            m_timers.erase(next);
            fn();
        }
        m_now = until;
    }
    size_t PendingTimers() const { return m_timers.size(); }

  private:
    struct Timer {
        TimePoint due;
        std::function<void()> fn;
    };
    TimePoint m_now{};
    TimerId m_next = 1;
    std::map<TimerId, Timer> m_timers;
};

}  // namespace nuvaro::testing
