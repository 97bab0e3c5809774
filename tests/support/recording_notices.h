#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "services/notices.h"

namespace nuvaro::testing {

// Answers every box and remembers what it showed (texts as UTF-8). Posted boxes close at once,
// or stay open until CloseHeld() while `holdPosted` is set.
class RecordingNotices : public Notices {
  public:
    struct Shown {
        std::string text, caption;
        Icon icon;
        Buttons buttons;
        bool owned;
        int seconds = 0;  // timed message
        bool posted = false;
    };

    Answer Box(Owner owner, const std::string& text, const std::string& caption, Icon icon,
               Buttons buttons) override {
        shown.push_back({text, caption, icon, buttons, owner != Owner::None});
        if (onBox) onBox();
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (answers.empty()) return Answer::Yes;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void PostBox(Owner owner, const std::string& text, const std::string& caption, Icon icon,
                 Closed closed) override {
        shown.push_back({text, caption, icon, Buttons::Ok, owner != Owner::None, 0, true});
        Posted(std::move(closed));
    }
    void PostTimedMessage(const std::string& text, int seconds, Closed closed) override {
        shown.push_back({text, "timed", Icon::None, Buttons::Ok, false, seconds, true});
        Posted(std::move(closed));
    }

    std::string ChooseFileToOpen() override {
        ++fileDialogs;
        if (files.empty()) return {};
        std::string file = files.front();
        files.pop_front();
        return file;
    }

    // Closes the posted boxes still open, oldest first.
    void CloseHeld() {
        auto held = std::move(m_held);
        m_held.clear();
        for (auto& closed : held) {
            if (closed) closed();
        }
    }
    size_t HeldCount() const { return m_held.size(); }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : shown) texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    std::function<void()> onBox;    // runs inside a modal box, or as a posted one appears
    std::deque<std::string> files;  // answers of the file-open dialog; none: cancelled
    int fileDialogs = 0;
    bool holdPosted = false;

  private:
    void Posted(Closed closed) {
        if (onBox) onBox();
        if (holdPosted) {
            m_held.push_back(std::move(closed));
        } else if (closed) {
            closed();
        }
    }

    std::vector<Closed> m_held;
};

}  // namespace nuvaro::testing
