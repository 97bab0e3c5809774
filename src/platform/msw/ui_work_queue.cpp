#include "services/ui_work_queue.h"

#include <wx/app.h>

#include <deque>

namespace nuvaro {
namespace {

std::deque<std::function<void()>>& Jobs() {
    static std::deque<std::function<void()>> jobs;
    return jobs;
}

bool g_turnPosted = false;

// One job per turn: the next turn is posted behind whatever input and timers came meanwhile.
void RunOne() {
    g_turnPosted = false;
    auto& jobs = Jobs();
    if (jobs.empty()) return;
    auto job = std::move(jobs.front());
    jobs.pop_front();
    if (!jobs.empty() && !g_turnPosted) {
        g_turnPosted = true;
        wxTheApp->CallAfter([] { RunOne(); });
    }
    job();  // may post more, or open a loop of its own that serves the queue
}

}  // namespace

void PostUiWork(std::function<void()> job) {
    Jobs().push_back(std::move(job));
    if (g_turnPosted || !wxTheApp) return;
    g_turnPosted = true;
    wxTheApp->CallAfter([] { RunOne(); });
}

void RunSoon(std::function<void()> job) {
    if (wxTheApp) wxTheApp->CallAfter(std::move(job));
}

}  // namespace nuvaro
