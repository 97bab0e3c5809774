#include "core/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "core/private_files.h"

namespace nuvaro {

bool LockWithin(int fd, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

FileLock::FileLock(const std::string& lockPath, std::chrono::milliseconds wait) {
    m_fd = open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kPrivateFileMode);
    m_held = m_fd >= 0 && LockWithin(m_fd, wait);
}

FileLock::~FileLock() {
    if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

}  // namespace nuvaro
