#include <wx/timer.h>

#include <algorithm>
#include <map>
#include <vector>

#include "services/ui_clock.h"

namespace nuvaro {
namespace {

// The engine's timers as window-message timers of the UI thread: each one-shot timer is a timer
// of its own, so none waits behind another one's work, and modal loops serve them too.
class TimerClock : public EngineClock {
  public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    TimerId StartOnce(std::chrono::milliseconds delay, std::function<void()> fn) override;
    void Cancel(TimerId id) override;

  private:
    class OneTimer : public wxTimer {
      public:
        OneTimer(TimerClock& clock, TimerId id) : m_clock(clock), m_id(id) {}
        void Notify() override { m_clock.Fire(m_id, this); }

      private:
        TimerClock& m_clock;
        TimerId m_id;
    };

    struct Pending {
        std::unique_ptr<OneTimer> timer;
        std::function<void()> fn;
    };

    void Fire(TimerId id, OneTimer* timer);
    void Retire(std::unique_ptr<OneTimer> timer);
    // Timers are deleted later, never while their own notification runs.
    void Sweep();

    TimerId m_next = 1;
    std::map<TimerId, Pending> m_pending;
    std::vector<std::unique_ptr<OneTimer>> m_retired;
    std::vector<OneTimer*> m_firing;
};

EngineClock::TimerId TimerClock::StartOnce(std::chrono::milliseconds delay,
                                           std::function<void()> fn) {
    Sweep();
    const TimerId id = m_next++;
    auto timer = std::make_unique<OneTimer>(*this, id);
    timer->StartOnce(static_cast<int>(std::clamp<long long>(delay.count(), 1, 0x7FFFFFFF)));
    m_pending.emplace(id, Pending{std::move(timer), std::move(fn)});
    return id;
}

void TimerClock::Cancel(TimerId id) {
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    it->second.timer->Stop();
    Retire(std::move(it->second.timer));
    m_pending.erase(it);
}

void TimerClock::Fire(TimerId id, OneTimer* timer) {
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    std::function<void()> fn = std::move(it->second.fn);
    Retire(std::move(it->second.timer));
    m_pending.erase(it);
    m_firing.push_back(timer);
    fn();
    m_firing.erase(std::find(m_firing.begin(), m_firing.end(), timer));
}

void TimerClock::Retire(std::unique_ptr<OneTimer> timer) { m_retired.push_back(std::move(timer)); }

void TimerClock::Sweep() {
    std::erase_if(m_retired, [this](const std::unique_ptr<OneTimer>& timer) {
        return std::find(m_firing.begin(), m_firing.end(), timer.get()) == m_firing.end();
    });
}

}  // namespace

std::unique_ptr<EngineClock> NewUiClock() { return std::make_unique<TimerClock>(); }

}  // namespace nuvaro
