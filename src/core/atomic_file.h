#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace nuvaro {

// A settings write the system refused. The message names the full file.
class FileWriteError : public std::runtime_error {
public:
    explicit FileWriteError(const std::string& path);
};

// Replaces `path` with `content` atomically: a temporary file in the same folder is written,
// flushed to disk and renamed over the old one, so the file is never half written. A file
// without write permission is refused, as a read-only file is on Windows (root included).
// A new file gets `newFileMode`; an existing one keeps its mode. Throws FileWriteError.
void ReplaceFileAtomically(const std::string& path, std::string_view content,
                           mode_t newFileMode = 0644);

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

}  // namespace nuvaro
