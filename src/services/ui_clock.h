#pragma once

#include <memory>

#include "services/engine_clock.h"

namespace nuvaro {

// The monitoring engine's clock on the desktop's event loop: each one-shot timer fires on the UI
// thread, in modal loops too.
std::unique_ptr<EngineClock> NewUiClock();

}  // namespace nuvaro
