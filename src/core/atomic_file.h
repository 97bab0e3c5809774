#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nuvaro {

// A settings write the system refused. The message names the full file.
class FileWriteError : public std::runtime_error {
  public:
    explicit FileWriteError(const std::string& path);
};

// The mark that ends the name of every temporary file of a write: ".<name>.XXXXXX.nuvaro-tmp".
inline constexpr std::string_view kTemporaryMark = ".nuvaro-tmp";

// Replaces `path` with `content` atomically: a temporary file ".<name>.XXXXXX.nuvaro-tmp" in
// the same folder is written, flushed to disk and renamed over the old one, so the file is
// never half written. A file without write permission is refused, as a read-only file is on
// Windows (root included). A new file gets `newFileMode` (its owner's only unless told
// otherwise); an existing one keeps its mode. Throws FileWriteError.
void ReplaceFileAtomically(const std::string& path, std::string_view content,
                           mode_t newFileMode = 0600);

// Read, change and replace `path` as one step against other writers: the whole cycle holds
// the lock file ".<name>.lock" beside the file. `change` gets the current content (nullopt
// when the file is missing) and returns the new one. A lock not had within a few seconds, or
// a file that exists but cannot be read, is a FileWriteError.
void UpdateFileAtomically(
    const std::string& path,
    const std::function<std::string(const std::optional<std::string>&)>& change,
    mode_t newFileMode = 0600);

// Removes the temporary files that writes left behind in `folder` when the process died: only
// regular files (never a link, nor what it leads to) named exactly as a write names them,
// ".<name>.XXXXXX.nuvaro-tmp", last changed at least `minAge` ago (younger ones may belong to
// a write in progress). Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder,
                           std::chrono::seconds minAge = std::chrono::seconds(60));

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace nuvaro
