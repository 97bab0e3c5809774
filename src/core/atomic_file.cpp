#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdio>

namespace nuvaro {
namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool IsWriteProtected(const struct stat& st, const std::string& path) {
    if (access(path.c_str(), W_OK) != 0) return true;
    // root passes access(); honour the missing write bits like a read-only attribute.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

FileWriteError::FileWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

namespace {

// The file a link leads to: replacing the link itself would cut it off from its target.
std::string LinkTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(path.c_str(), resolved)) {
        return resolved;
    }
    return path;
}

}  // namespace

void ReplaceFileAtomically(const std::string& requested, std::string_view content,
                           mode_t newFileMode) {
    const std::string path = LinkTarget(requested);
    mode_t mode = newFileMode;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsWriteProtected(st, path)) throw FileWriteError(requested);
        mode = st.st_mode & 07777;
    }
    std::string base = path.substr(path.rfind('/') + 1);
    std::string temp = FolderOf(path) + "/." + base + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) throw FileWriteError(requested);
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, content) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        throw FileWriteError(requested);
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return content;
}

}  // namespace nuvaro
