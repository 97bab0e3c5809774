#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "services/shell.h"

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
    void OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) override {
        calls.push_back({"open-path", std::string(nativePath), {}});
        if (openFails && failed) failed();
    }
    bool Execute(std::string_view file, std::string_view parameters) override {
        std::lock_guard lock(m_mutex);
        calls.push_back({"execute", std::string(file), std::string(parameters)});
        return true;
    }
    std::vector<Call> calls;
    bool openFails = false;  // OpenPathOrReport reports a failure

  private:
    std::mutex m_mutex;  // the dispatcher starts programs on a thread of its own
};

}  // namespace nuvaro::testing
