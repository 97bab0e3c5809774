#pragma once

#include <exception>
#include <string>
#include <utility>

namespace nuvaro {

// The application's default error display: a box titled "Nuvaro" with the error icon. Every
// exception message of the program is UTF-8.
void ShowDefaultError(const std::string& message);

// Runs an event handler; what it raises reaches the default error display.
template <typename Handler>
void Guarded(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& e) {
        ShowDefaultError(e.what());
    }
}

}  // namespace nuvaro
