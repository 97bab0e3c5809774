#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace nuvaro::testing {

// Remembers what would have been opened or started, instead of doing it.
class RecordingShell : public Shell {
public:
    struct Call {
        std::string verb;  // "open", "open-path" or "execute"
        std::string target;
        std::string parameters;
    };
    void OpenDocument(std::string_view target) override {
        calls.push_back({"open", std::string(target), {}});
    }
    void OpenPath(std::string_view nativePath) override {
        calls.push_back({"open-path", std::string(nativePath), {}});
    }
    void Execute(std::string_view file, std::string_view parameters) override {
        calls.push_back({"execute", std::string(file), std::string(parameters)});
    }
    std::vector<Call> calls;
};

}  // namespace nuvaro::testing
