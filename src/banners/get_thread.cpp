#include "banners/get_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace nuvaro {

// Shared with the thread, so that a thread left to finish on its own never touches freed state.
struct TGetThread::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool abandoned = false;
    bool done = false;
    FetchCancel cancel;
};

namespace {

// How long the destructor waits for a cancelled fetch to wind up.
constexpr auto kExitWait = std::chrono::seconds(1);

}  // namespace

TGetThread::TGetThread(std::string url, Callback onDone, Fetcher fetcher)
    : m_state(std::make_shared<State>()),
      m_url(std::move(url)),
      m_onDone(std::move(onDone)),
      m_fetcher(std::move(fetcher)) {
    if (!m_fetcher) {
        m_fetcher = [](const std::string& u, FetchCancel& c) { return FetchAnnouncement(u, &c); };
    }
}

TGetThread::~TGetThread() {
    Abort();
    if (!m_thread.joinable()) return;
    std::unique_lock lock(m_state->mutex);
    if (m_state->finished.wait_for(lock, kExitWait, [this] { return m_state->done; })) {
        lock.unlock();
        m_thread.join();
    } else {
        lock.unlock();
        m_thread.detach();
    }
}

void TGetThread::Resume() {
    if (m_started) return;
    m_started = true;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->abandoned) return;
    }
    m_thread = std::thread([state = m_state, url = std::move(m_url), onDone = std::move(m_onDone),
                            fetcher = std::move(m_fetcher)] {
        FetchResult fetched = fetcher(url, state->cancel);
        Result result;
        result.ok = fetched.ok;
        result.error = std::move(fetched.error);
        if (fetched.ok) result.values = SplitReply(fetched.body);
        std::lock_guard lock(state->mutex);
        // Under the lock: Abort waits for a hand-over in progress and prevents a later one.
        if (!state->abandoned && onDone) onDone(std::move(result));
        state->done = true;
        state->finished.notify_all();
    });
}

void TGetThread::Abort() {
    {
        // Abandoned before the cancel wakes the fetch, so that its cancelled result is never
        // handed over either.
        std::lock_guard lock(m_state->mutex);
        m_state->abandoned = true;
    }
    m_state->cancel.Cancel();
}

bool TGetThread::Finished() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->done;
}

}  // namespace nuvaro
