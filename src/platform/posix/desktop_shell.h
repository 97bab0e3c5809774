#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "services/shell.h"

namespace nuvaro {

// The shell of a freedesktop desktop: documents and links go to `xdg-open`, executables are
// started directly. No shell interpreter is ever involved. Children are started detached:
// in a session of their own, stdin on /dev/null, none of our descriptors, reaped by us.
class DesktopShell : public Shell {
  public:
    // `opener` is the program (looked up on PATH) that opens documents and links.
    explicit DesktopShell(std::string opener = "xdg-open");

    void OpenDocument(std::string_view target) override;
    void OpenPath(std::string_view nativePath) override;
    void OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) override;
    bool Execute(std::string_view file, std::string_view parameters) override;

  private:
    bool Open(std::string_view target);

    std::string m_opener;
};

// The executable regular file that `name` (UTF-8) starts: the path itself when it holds a
// slash, else the first match on PATH. nullopt when there is none.
std::optional<std::string> FindExecutable(const std::string& name);

// Starts `path` with `args` (argv[1..]) detached, as described above. `searchPath` looks the
// program up on PATH. Returns false when it could not be started. `ended` (if set) gets the
// child's wait status once it has ended, on the thread that reaps it.
bool SpawnDetached(const std::string& path, const std::vector<std::string>& args, bool searchPath,
                   std::function<void(int status)> ended = {});

}  // namespace nuvaro
