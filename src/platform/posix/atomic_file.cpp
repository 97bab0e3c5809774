#include "core/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "core/append_file.h"
#include "core/file_lock.h"
#include "core/temporary_name.h"

namespace nuvaro {
namespace {

// mkstemp replaces these six characters.

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

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

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

FileWriteError::FileWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path) {}

void ReplaceFileAtomically(const std::string& requested, std::string_view content,
                           mode_t newFileMode) {
    const std::string path = LinkTarget(requested);
    mode_t mode = newFileMode;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || IsWriteProtected(st, path)) throw FileWriteError(requested);
        mode = st.st_mode & 07777;
    }
    std::string temp = TemporaryPathOf(path, std::string(kTemporaryLetters, 'X'));
    int fd = mkstemps(temp.data(), static_cast<int>(kTemporaryMark.size()));
    if (fd < 0) throw FileWriteError(requested);
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, content) && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        throw FileWriteError(requested);
    }
}

void UpdateFileAtomically(
    const std::string& path,
    const std::function<std::string(const std::optional<std::string>&)>& change,
    mode_t newFileMode) {
    const std::string target = LinkTarget(path);
    FileLock lock(FolderOf(target) + "/." + NameOf(target) + ".lock");
    if (!lock.Held()) throw FileWriteError(path);
    auto content = ReadWholeFile(target);
    // A file that exists but cannot be read must not be replaced by the change alone.
    if (!content && access(target.c_str(), F_OK) == 0) throw FileWriteError(path);
    ReplaceFileAtomically(path, change(content), newFileMode);
}

int RemoveStaleTemporaries(const std::string& folder, std::chrono::seconds minAge) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(fdopendir(fd), closedir);
    if (!dir) {
        close(fd);
        return 0;
    }
    const std::time_t cutoff = std::time(nullptr) - minAge.count();
    int removed = 0;
    while (dirent* entry = readdir(dir.get())) {
        if (!IsTemporaryName(entry->d_name)) continue;
        struct stat st {};
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_mtime > cutoff) continue;
        if (unlinkat(fd, entry->d_name, 0) == 0) ++removed;
    }
    return removed;
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
