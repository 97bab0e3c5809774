#pragma once

#include <string>
#include <string_view>

#include "services/shell.h"

namespace nuvaro {

// The Windows shell ("open" verb of ShellExecuteExW). The program's parameter string is handed
// over as the command line it is, exactly as typed: the started program splits it itself.
class WindowsShell : public Shell {
  public:
    void OpenDocument(std::string_view target) override;
    void OpenPath(std::string_view nativePath) override;
    void OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) override;
    bool Execute(std::string_view file, std::string_view parameters) override;
};

// Opens `file` (UTF-16) with `parameters`; waits until the shell has started it. False when it
// could not be started, with the system's reason in `error` (UTF-8).
bool ShellOpen(const std::wstring& file, const std::wstring& parameters, std::string& error);

}  // namespace nuvaro
