#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/notices.h"

namespace nuvaro::testing {

// Answers every box at once and remembers what it showed (texts as UTF-8).
class RecordingNotices : public Notices {
public:
    struct Shown {
        std::string text, caption;
        Icon icon;
        Buttons buttons;
        bool owned;
        int seconds = 0;  // timed message
    };

    Answer Box(wxWindow* owner, const wxString& text, const wxString& caption, Icon icon,
               Buttons buttons) override {
        shown.push_back({text.utf8_string(), caption.utf8_string(), icon, buttons, owner != nullptr});
        if (onBox) onBox();
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return Answer::Yes;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void TimedMessage(const wxString& text, int seconds) override {
        shown.push_back({text.utf8_string(), "timed", Icon::None, Buttons::Ok, false, seconds});
        if (onBox) onBox();
    }

    wxString ChooseFileToOpen(wxWindow*) override {
        ++fileDialogs;
        if (files.empty()) return {};
        wxString file = files.front();
        files.pop_front();
        return file;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : shown) texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::function<void()> onBox;  // runs inside the "modal" box, as events would
    std::deque<wxString> files;   // answers of the file-open dialog; none: cancelled
    int fileDialogs = 0;
};

}  // namespace nuvaro::testing
