#pragma once

#include <wx/string.h>

class wxWindow;

namespace nuvaro {

// Modal message boxes and the file-open dialog. The real one shows GTK boxes whose buttons read
// 确定 / 是 / 否 whatever the locale; the recording one (tests) answers at once and remembers
// what was shown.
class Notices {
public:
    enum class Icon { None, Information, Question, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~Notices() = default;

    // The general box: `owner` may be null (a box without owner window).
    virtual Answer Box(wxWindow* owner, const wxString& text, const wxString& caption, Icon icon,
                       Buttons buttons) = 0;

    // An information box that closes itself after `seconds` as if OK had been pressed; while
    // it is open its title starts with the whole seconds left in parentheses and two blanks.
    virtual void TimedMessage(const wxString& text, int seconds) = 0;

    // The standard file-open dialog without filter, title or initial folder; the chosen full
    // path, or an empty text when the user cancelled.
    virtual wxString ChooseFileToOpen(wxWindow* owner) = 0;

    // The standard message: title "Nuvaro", no icon, one OK button.
    void ShowMessage(const wxString& text);
    // Caption "错误", error icon, OK.
    void ErrorBox(wxWindow* owner, const wxString& text);
};

}  // namespace nuvaro
