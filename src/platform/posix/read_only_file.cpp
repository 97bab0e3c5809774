#include "core/read_only_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace nuvaro {
namespace {

FileFacts FactsFrom(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_size), static_cast<uint64_t>(st.st_dev),
            static_cast<uint64_t>(st.st_ino)};
}

}  // namespace

std::optional<FileFacts> FileFactsOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return FactsFrom(st);
}

ReadOnlyFile::ReadOnlyFile(const std::string& path)
    : m_handle(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (m_handle < 0) m_handle = kClosed;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (IsOpen()) close(static_cast<int>(m_handle));
}

std::optional<FileFacts> ReadOnlyFile::Facts() const {
    struct stat st {};
    if (!IsOpen() || fstat(static_cast<int>(m_handle), &st) != 0) return std::nullopt;
    return FactsFrom(st);
}

std::string ReadOnlyFile::ReadAt(uint64_t offset, size_t size) const {
    std::string out(size, '\0');
    size_t done = 0;
    while (IsOpen() && done < size) {
        ssize_t n = pread(static_cast<int>(m_handle), out.data() + done, size - done,
                          static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    return out;
}

}  // namespace nuvaro
