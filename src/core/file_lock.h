#pragma once

#include <chrono>
#include <string>

namespace nuvaro {

// How long a settings write waits for another writer before it gives up.
inline constexpr std::chrono::milliseconds kLockWait{3000};

// Takes an exclusive advisory lock (flock) on `fd`, waiting at most `wait`. Locks of other
// processes and of other open descriptions in this process both count.
bool LockWithin(int fd, std::chrono::milliseconds wait);

// An exclusive advisory lock on a lock file, held for the object's life. The file is created
// when missing and stays, so that every writer locks the same file.
class FileLock {
  public:
    FileLock(const std::string& lockPath, std::chrono::milliseconds wait = kLockWait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return m_held; }

  private:
    int m_fd = -1;
    bool m_held = false;
};

}  // namespace nuvaro
