#pragma once

#include <deque>
#include <memory>

#include "services/balloons.h"

class wxNotificationMessage;

namespace nuvaro {

// Desktop notifications of Windows: balloons of the program's notification-area icon (a
// notification of Windows 10 and 11). Showing one never waits.
class MswBalloons : public Balloons {
  public:
    MswBalloons();
    ~MswBalloons() override;

    void Show(const std::string& title, const std::string& text,
              std::function<void()> onClick) override;

  private:
    // Kept while they may still be clicked; the oldest go when others come.
    std::deque<std::unique_ptr<wxNotificationMessage>> m_shown;
};

}  // namespace nuvaro
