#include "services/ui_work_queue.h"

#include <glib.h>

#include <deque>

namespace nuvaro {
namespace {

std::deque<std::function<void()>>& Jobs() {
    static std::deque<std::function<void()>> jobs;
    return jobs;
}

GSource* g_source = nullptr;  // owned by the main context while it serves the queue

gboolean RunOne(gpointer) {
    auto& jobs = Jobs();
    if (!jobs.empty()) {
        auto job = std::move(jobs.front());
        jobs.pop_front();
        job();  // may post more, or serve the queue inside a loop of its own
    }
    // A turn served inside that loop may have retired this source already.
    if (g_source != g_main_current_source()) return G_SOURCE_REMOVE;
    if (!Jobs().empty()) return G_SOURCE_CONTINUE;
    g_source = nullptr;
    return G_SOURCE_REMOVE;
}

gboolean RunAlone(gpointer data) {
    auto* job = static_cast<std::function<void()>*>(data);
    (*job)();
    return G_SOURCE_REMOVE;
}

}  // namespace

void PostUiWork(std::function<void()> job) {
    Jobs().push_back(std::move(job));
    if (g_source) return;
    g_source = g_idle_source_new();
    g_source_set_priority(g_source, G_PRIORITY_DEFAULT_IDLE);
    g_source_set_can_recurse(g_source, TRUE);
    g_source_set_callback(g_source, RunOne, nullptr, nullptr);
    g_source_attach(g_source, nullptr);
    g_source_unref(g_source);
}

void RunSoon(std::function<void()> job) {
    g_idle_add_full(G_PRIORITY_DEFAULT, RunAlone, new std::function<void()>(std::move(job)),
                    [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

}  // namespace nuvaro
