#pragma once

#include <functional>

namespace nuvaro {

// Heavy work on the UI thread (a page's markup converted and matched) runs one job per turn
// of the event loop, after timers and input, so jobs that arrive together never add up to
// one long freeze.
void PostUiWork(std::function<void()> job);

}  // namespace nuvaro
