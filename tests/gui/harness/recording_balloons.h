#pragma once

#include <functional>
#include <string>
#include <vector>

#include "services/balloons.h"

namespace nuvaro::testing {

// Remembers every desktop notification instead of showing it (texts as UTF-8).
class RecordingBalloons : public Balloons {
  public:
    struct Shown {
        std::string title, text;
        std::function<void()> onClick;
    };
    void Show(const std::string& title, const std::string& text,
              std::function<void()> onClick) override {
        shown.push_back({title, text, std::move(onClick)});
    }
    std::vector<Shown> shown;
};

}  // namespace nuvaro::testing
