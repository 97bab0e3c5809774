#pragma once

#include <functional>

class wxWindow;

namespace nuvaro::testing {

// Sends a button click to `button`, as a mouse click would.
void Click(wxWindow* button);

// Dispatches pending events for about `ms` milliseconds.
void Pump(int ms);

// Dispatches events until `done` holds or `timeoutMs` has passed; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

}  // namespace nuvaro::testing
