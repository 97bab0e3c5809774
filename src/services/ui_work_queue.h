#pragma once

#include <functional>

namespace nuvaro {

// Heavy work on the UI thread (a page's markup converted and matched) runs one job per turn
// of the event loop, after timers and input, so jobs that arrive together never add up to
// one long freeze. A job must not open a modal loop; should one do so all the same, the queue
// goes on being served inside that loop.
void PostUiWork(std::function<void()> job);

// Runs `job` on the UI thread from an idle source of its own: it may open a modal dialog, which
// then holds up nothing but itself. May be called from any thread.
void RunSoon(std::function<void()> job);

}  // namespace nuvaro
