#pragma once

#include "services/notices.h"

namespace nuvaro {

// Message boxes of this desktop. Box() is a modal wx message dialog; posted boxes are GTK
// message dialogs without a loop of their own: they stay modal for the user's input, but
// nothing waits for them, and they may be closed in any order.
class GtkNotices : public Notices {
  public:
    Answer Box(Owner owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) override;
    void PostBox(Owner owner, const std::string& text, const std::string& caption, Icon icon,
                 Closed closed) override;
    void PostTimedMessage(const std::string& text, int seconds, Closed closed) override;
    std::string ChooseFileToOpen() override;
};

}  // namespace nuvaro
