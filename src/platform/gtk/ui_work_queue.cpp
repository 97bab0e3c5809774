#include "platform/gtk/ui_work_queue.h"

#include <glib.h>

#include <deque>

namespace nuvaro {
namespace {

std::deque<std::function<void()>>& Jobs() {
    static std::deque<std::function<void()>> jobs;
    return jobs;
}

guint g_source = 0;

gboolean RunOne(gpointer) {
    auto& jobs = Jobs();
    if (!jobs.empty()) {
        auto job = std::move(jobs.front());
        jobs.pop_front();
        job();  // may post more
    }
    if (!jobs.empty()) return G_SOURCE_CONTINUE;
    g_source = 0;
    return G_SOURCE_REMOVE;
}

}  // namespace

void PostUiWork(std::function<void()> job) {
    Jobs().push_back(std::move(job));
    if (g_source == 0) g_source = g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, RunOne, nullptr, nullptr);
}

}  // namespace nuvaro
