#pragma once

#include <functional>
#include <string>

#include "core/texts.h"

namespace nuvaro {

// Message boxes and the file-open dialog, toolkit-neutral: texts are UTF-8. The desktop one
// shows GTK boxes whose buttons read 确定 / 是 / 否 whatever the locale; the recording one
// (tests) answers at once and remembers what was shown.
class Notices {
  public:
    enum class Icon { None, Information, Question, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };
    // The window a box belongs to: the main window, or none (a box without owner window).
    enum class Owner { None, MainWindow };
    using Closed = std::function<void()>;

    virtual ~Notices() = default;

    // A modal box that returns the answer. For a user's own command only: while it is open its
    // caller waits, so work that must go on (ticks, reads, deliveries) never calls it.
    virtual Answer Box(Owner owner, const std::string& text, const std::string& caption, Icon icon,
                       Buttons buttons) = 0;

    // A box with one OK button that returns at once: it appears on its own, holds up nothing
    // and nobody, and `closed` (if any) runs on the UI thread once the user has closed it.
    virtual void PostBox(Owner owner, const std::string& text, const std::string& caption,
                         Icon icon, Closed closed) = 0;

    // An information box, posted like PostBox, that closes itself after `seconds` as if OK had
    // been pressed; while it is open its title starts with the whole seconds left in
    // parentheses and two blanks.
    virtual void PostTimedMessage(const std::string& text, int seconds, Closed closed) = 0;

    // The standard file-open dialog without filter, title or initial folder, over the window
    // in front; the chosen full path (UTF-8), or an empty text when the user cancelled.
    virtual std::string ChooseFileToOpen() = 0;

    // The standard message: title "Nuvaro", no icon, one OK button.
    void ShowMessage(const std::string& text) {
        Box(Owner::None, text, text::kAppTitle, Icon::None, Buttons::Ok);
    }
    void PostMessage(const std::string& text, Closed closed = {}) {
        PostBox(Owner::None, text, text::kAppTitle, Icon::None, std::move(closed));
    }
    // Caption "错误", error icon, OK.
    void ErrorBox(Owner owner, const std::string& text) {
        Box(owner, text, text::kCaptionError, Icon::Error, Buttons::Ok);
    }
    void PostErrorBox(Owner owner, const std::string& text, Closed closed = {}) {
        PostBox(owner, text, text::kCaptionError, Icon::Error, std::move(closed));
    }
};

}  // namespace nuvaro
