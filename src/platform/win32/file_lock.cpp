#include "core/file_lock.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <thread>

#include "platform/win32/file_handles.h"
#include "platform/win32/wide.h"

namespace nuvaro {
namespace win32 {

HANDLE OpenFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags,
                SECURITY_ATTRIBUTES* security) {
    return CreateFileW(WidePath(path).c_str(), access, kShareAll, security, disposition,
                       FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

bool LockFarByte(HANDLE file, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        OVERLAPPED at{};
        at.Offset = 0xFFFFFFFE;
        at.OffsetHigh = 0x7FFFFFFF;
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            return true;
        }
        DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool WriteAllTo(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 20)), written = 0;
        if (!WriteFile(file, data.data(), chunk, &written, nullptr) || written == 0) return false;
        data.remove_prefix(written);
    }
    return true;
}

}  // namespace win32

bool LockWithin(int fd, std::chrono::milliseconds wait) {
    auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return file != INVALID_HANDLE_VALUE && win32::LockFarByte(file, wait);
}

FileLock::FileLock(const std::string& lockPath, std::chrono::milliseconds wait) {
    HANDLE file = win32::OpenFile(lockPath, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return;
    m_fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY);
    if (m_fd < 0) {
        CloseHandle(file);
        return;
    }
    m_held = LockWithin(m_fd, wait);
}

FileLock::~FileLock() {
    if (m_fd >= 0) _close(m_fd);  // closing releases the lock
}

}  // namespace nuvaro
