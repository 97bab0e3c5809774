#include "core/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/file_lock.h"
#include "core/private_files.h"

namespace nuvaro {
namespace {

// Appending writers hold the lock only while they write.
constexpr std::chrono::milliseconds kAppendLockWait{1000};

struct OpenedFile {
    int fd = -1;
    bool created = false;
};

OpenedFile OpenForAppend(const std::string& path) {
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC;
    int fd = open(path.c_str(), kFlags);
    if (fd >= 0 || errno != ENOENT) return {fd, false};
    fd = open(path.c_str(), kFlags | O_CREAT | O_EXCL, kPrivateFileMode);
    if (fd >= 0) return {fd, true};
    return {errno == EEXIST ? open(path.c_str(), kFlags) : -1, false};
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool AppendWhole(const std::string& path, std::string_view data) {
    OpenedFile file = OpenForAppend(path);
    if (file.fd < 0) return false;
    struct stat st {};
    // Under the lock the end of the file stays where fstat saw it until the write is done.
    bool locked = LockWithin(file.fd, kAppendLockWait) && fstat(file.fd, &st) == 0;
    bool ok = locked && WriteAll(file.fd, data);
    if (!ok && file.created) {
        unlink(path.c_str());
    } else if (!ok && locked) {
        [[maybe_unused]] int cut = ftruncate(file.fd, st.st_size);
    }
    close(file.fd);
    return ok;
}

}  // namespace nuvaro
