#include "platform/gtk/glib_clock.h"

#include <glib.h>

#include <algorithm>

#include "services/ui_clock.h"

namespace nuvaro {

struct GlibClock::Pending {
    GlibClock* clock;
    TimerId id;
    guint source;
    std::function<void()> fn;
};

GlibClock::GlibClock() = default;

GlibClock::~GlibClock() {
    for (auto& [id, pending] : m_pending) g_source_remove(pending->source);
}

EngineClock::TimerId GlibClock::StartOnce(std::chrono::milliseconds delay,
                                          std::function<void()> fn) {
    const TimerId id = m_next++;
    auto pending = std::make_unique<Pending>(Pending{this, id, 0, std::move(fn)});
    const auto ms = static_cast<guint>(std::clamp<long long>(delay.count(), 0, G_MAXINT));
    pending->source =
        g_timeout_add_full(G_PRIORITY_DEFAULT, ms, &GlibClock::Fire, pending.get(), nullptr);
    m_pending.emplace(id, std::move(pending));
    return id;
}

void GlibClock::Cancel(TimerId id) {
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    g_source_remove(it->second->source);
    m_pending.erase(it);
}

// The entry leaves the table before its function runs: the function may start, cancel or
// destroy anything, this clock's other timers included.
int GlibClock::Fire(void* data) {
    auto* pending = static_cast<Pending*>(data);
    GlibClock* clock = pending->clock;
    auto it = clock->m_pending.find(pending->id);
    std::unique_ptr<Pending> owned = std::move(it->second);
    clock->m_pending.erase(it);
    std::function<void()> fn = std::move(owned->fn);
    owned.reset();
    fn();
    return G_SOURCE_REMOVE;
}

}  // namespace nuvaro

namespace nuvaro {

std::unique_ptr<EngineClock> NewUiClock() { return std::make_unique<GlibClock>(); }

}  // namespace nuvaro
