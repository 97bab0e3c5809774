#pragma once

#include "services/notices.h"

namespace nuvaro {

// Message boxes of this desktop, one implementation per desktop (platform/gtk, platform/msw).
// Box() runs a modal loop that keeps serving timers and posted work; posted boxes run none of
// their own: nothing waits for them, and they may be closed in any order.
class DesktopNotices : public Notices {
  public:
    Answer Box(Owner owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) override;
    void PostBox(Owner owner, const std::string& text, const std::string& caption, Icon icon,
                 Closed closed) override;
    void PostTimedMessage(const std::string& text, int seconds, Closed closed) override;
    std::string ChooseFileToOpen() override;
};

}  // namespace nuvaro
