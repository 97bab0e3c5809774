#pragma once

#include <functional>
#include <string_view>

namespace nuvaro {

// What stands in for the Windows shell ("Open" verb). Texts are UTF-8.
// Safe to call from any thread. A target that the desktop's program cannot open is that
// program's business.
class Shell {
  public:
    virtual ~Shell() = default;

    // Opens a document, folder or link with the desktop's default program.
    virtual void OpenDocument(std::string_view target) = 0;

    // Opens a file of this machine named by its native path (the file system's own bytes,
    // whatever characters the folders' names hold) with the desktop's default program.
    virtual void OpenPath(std::string_view nativePath) = 0;

    // Opens like OpenPath, and tells when that failed: `failed` runs, on any thread, when no
    // program could be started for the file, or the desktop's program gave up on it within a
    // few seconds (no program to open it with).
    virtual void OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) = 0;

    // Opens `file` with `parameters`: an executable file is started directly with the parameter
    // string split like a Windows command line (no shell in between, nothing substituted);
    // anything else is opened as a document and the parameters are ignored. False when nothing
    // could be started.
    virtual bool Execute(std::string_view file, std::string_view parameters) = 0;
};

}  // namespace nuvaro
