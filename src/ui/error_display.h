#pragma once

#include <wx/string.h>

#include <exception>
#include <string_view>
#include <utility>

class wxWindow;

namespace nuvaro {

// An error message as widget text: UTF-8 when it is valid UTF-8, else GBK.
wxString MessageText(std::string_view message);

// The application's default error display: a box titled "Nuvaro" with the error icon.
void ShowDefaultError(const wxString& message);

// Runs an event handler; what it raises reaches the default error display.
template <typename Handler>
void Guarded(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& e) {
        ShowDefaultError(MessageText(e.what()));
    }
}

}  // namespace nuvaro
