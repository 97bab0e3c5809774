#pragma once

#include <functional>
#include <string>

namespace nuvaro {

// Desktop notifications (the notification-area balloon of the Windows desktop). Showing one never
// blocks and never fails loudly: where the desktop shows none, nothing happens. The real one
// speaks to the desktop's notification server; the recording one (tests) remembers what it was
// given.
class Balloons {
  public:
    virtual ~Balloons() = default;

    // Shows `title` and `text` (UTF-8; the text may span lines). `onClick`, when set, runs on
    // the UI thread if the user clicks the notification (at most once). Call on the UI thread.
    virtual void Show(const std::string& title, const std::string& text,
                      std::function<void()> onClick) = 0;
};

}  // namespace nuvaro
