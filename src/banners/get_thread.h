#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "banners/announcement.h"
#include "banners/announcement_fetch.h"

namespace nuvaro {

// Fetches the announcement once, on a thread of its own, and hands the split reply on.
class TGetThread {
  public:
    struct Result {
        bool ok = false;
        Announcement values;  // the reply split, undecoded
        std::string error;
    };
    // Runs on the fetching thread: hand the result to the user-interface thread from there
    // (queue it, never wait for it), and do not call back into this object.
    using Callback = std::function<void(Result)>;
    using Fetcher = std::function<FetchResult(const std::string& url, FetchCancel& cancel)>;

    // Created suspended. `fetcher` stands in for the HTTP request in tests.
    TGetThread(std::string url, Callback onDone, Fetcher fetcher = {});
    // Aborts, then waits up to a second for the thread to end; a cancelled fetch ends at once,
    // even during a name look-up (left to finish on the resolver's thread). A thread that has
    // not ended by then finishes on its own without calling back.
    ~TGetThread();
    TGetThread(const TGetThread&) = delete;
    TGetThread& operator=(const TGetThread&) = delete;

    // Starts the fetch; only the first call does anything, and none after Abort.
    void Resume();
    // Cancels the fetch. Once Abort has returned the callback is not running and never will.
    void Abort();
    // Whether the thread has run to its end (with or without a call back).
    bool Finished() const;

  private:
    struct State;
    std::shared_ptr<State> m_state;
    std::string m_url;
    Callback m_onDone;
    Fetcher m_fetcher;
    bool m_started = false;
    std::thread m_thread;
};

}  // namespace nuvaro
