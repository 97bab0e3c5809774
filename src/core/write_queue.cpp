#include "core/write_queue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/log_file.h"

namespace nuvaro::write_queue {
namespace {

struct Job {
    std::string replaces;
    std::function<void()> write;
    uint64_t ticket = 0;
};

// Lives as long as the process: a thread that hands off a write never finds it gone.
struct Queue {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool running = false;  // writes go to the thread
    bool stopping = false;
    uint64_t handed = 0, done = 0;
    std::thread thread;
};

Queue& TheQueue() {
    static Queue* queue = new Queue;
    return *queue;
}

thread_local bool t_onWriter = false;

void Do(const std::function<void()>& write) {
    try {
        write();
    } catch (...) {
        // A write reports its own failures; nothing may end the writer.
    }
}

void Work(Queue& q) {
    t_onWriter = true;
    std::unique_lock lock(q.mutex);
    for (;;) {
        q.changed.wait(lock, [&] { return !q.jobs.empty() || q.stopping; });
        if (q.jobs.empty()) {
            // From now on writes are done by their callers; nothing is left behind.
            q.running = false;
            q.changed.notify_all();
            return;
        }
        Job job = std::move(q.jobs.front());
        q.jobs.pop_front();
        lock.unlock();
        Do(job.write);
        lock.lock();
        q.done = job.ticket;
        q.changed.notify_all();
    }
}

}  // namespace

void Start() {
    Queue& q = TheQueue();
    std::lock_guard lock(q.mutex);
    if (q.running) return;
    if (q.thread.joinable()) q.thread.join();  // ended already: it only needs reaping
    q.running = true;
    q.stopping = false;
    q.thread = std::thread(Work, std::ref(q));
}

void Stop() {
    Queue& q = TheQueue();
    {
        std::lock_guard lock(q.mutex);
        if (!q.running) return;
        q.stopping = true;
    }
    q.changed.notify_all();
    if (q.thread.joinable() && q.thread.get_id() != std::this_thread::get_id()) q.thread.join();
}

void Hand(std::function<void()> write, const std::string& replaces) {
    if (t_onWriter) return Do(write);
    Queue& q = TheQueue();
    std::unique_lock lock(q.mutex);
    if (!q.running) {
        lock.unlock();
        return Do(write);
    }
    const uint64_t ticket = ++q.handed;
    if (!replaces.empty() && !q.jobs.empty() && q.jobs.back().replaces == replaces) {
        q.jobs.back().write = std::move(write);
        q.jobs.back().ticket = ticket;
        return;
    }
    q.jobs.push_back({replaces, std::move(write), ticket});
    lock.unlock();
    q.changed.notify_all();
}

void Flush() {
    if (t_onWriter) return;
    Queue& q = TheQueue();
    std::unique_lock lock(q.mutex);
    const uint64_t ticket = q.handed;
    q.changed.wait(lock, [&] { return q.done >= ticket || !q.running; });
}

void Replace(const std::string& path, std::string content, mode_t newFileMode,
             std::shared_ptr<std::atomic<bool>> failing) {
    Hand(
        [path, content = std::move(content), newFileMode, failing] {
            try {
                ReplaceFileAtomically(path, content, newFileMode);
                *failing = false;
            } catch (const FileWriteError& e) {
                if (!failing->exchange(true)) {
                    WriteLog(loglines::TickError(NowText(), "0", "", e.what()), kErrorLog);
                }
            }
        },
        path);
}

}  // namespace nuvaro::write_queue
