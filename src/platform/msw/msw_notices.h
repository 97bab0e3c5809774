#pragma once

#include "services/notices.h"

namespace nuvaro {

// Message boxes of the Windows desktop, as boxes of the program's own (BoxDialog): Box() runs
// the toolkit's modal loop, which keeps serving timers and posted work; posted boxes run none.
class MswNotices : public Notices {
  public:
    Answer Box(Owner owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) override;
    void PostBox(Owner owner, const std::string& text, const std::string& caption, Icon icon,
                 Closed closed) override;
    void PostTimedMessage(const std::string& text, int seconds, Closed closed) override;
    std::string ChooseFileToOpen() override;
};

}  // namespace nuvaro
