#pragma once

#include <memory>
#include <string>

#include "services/balloons.h"

namespace nuvaro {

// Desktop notifications through the session bus (org.freedesktop.Notifications). Every call
// is asynchronous, so a slow or missing notification server never holds up the UI thread; with
// no session bus or no server the notifications are dropped without a word.
class DesktopBalloons : public Balloons {
  public:
    // `service`: the bus name of the notification server (tests run one of their own).
    explicit DesktopBalloons(std::string service = "org.freedesktop.Notifications");
    ~DesktopBalloons() override;
    DesktopBalloons(const DesktopBalloons&) = delete;
    DesktopBalloons& operator=(const DesktopBalloons&) = delete;

    void Show(const std::string& title, const std::string& text,
              std::function<void()> onClick) override;

    struct State;  // shared with the calls in flight

  private:
    std::shared_ptr<State> m_state;
};

}  // namespace nuvaro
