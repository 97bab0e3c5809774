#include "core/append_file.h"

#include <io.h>

#include "core/file_lock.h"
#include "platform/win32/file_handles.h"
#include "platform/win32/owner_only.h"
#include "platform/win32/wide.h"

namespace nuvaro {
namespace {

// Appending writers hold the lock only while they write.
constexpr std::chrono::milliseconds kAppendLockWait{1000};

struct OpenedFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool created = false;
};

OpenedFile OpenForAppend(const std::string& path) {
    constexpr DWORD kAccess = GENERIC_WRITE;
    HANDLE file = win32::OpenFile(path, kAccess, OPEN_EXISTING);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_NOT_FOUND)
        return {file, false};
    win32::OwnerOnly rights(false);  // a new file is its owner's, whatever its folder says
    file = win32::OpenFile(path, kAccess, CREATE_NEW, 0, rights.Attributes());
    if (file != INVALID_HANDLE_VALUE) return {file, true};
    if (GetLastError() != ERROR_FILE_EXISTS) return {};
    return {win32::OpenFile(path, kAccess, OPEN_EXISTING), false};
}

}  // namespace

bool WriteAll(int fd, std::string_view data) {
    auto file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return file != INVALID_HANDLE_VALUE && win32::WriteAllTo(file, data);
}

bool AppendWhole(const std::string& path, std::string_view data) {
    OpenedFile file = OpenForAppend(path);
    if (file.handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER end{};
    // Every appender writes at the end it finds under the lock, so lines never mix.
    bool locked = win32::LockFarByte(file.handle, kAppendLockWait) &&
                  GetFileSizeEx(file.handle, &end) &&
                  SetFilePointerEx(file.handle, end, nullptr, FILE_BEGIN);
    bool ok = locked && win32::WriteAllTo(file.handle, data);
    if (!ok && !file.created && locked) {
        SetFilePointerEx(file.handle, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file.handle);
    }
    CloseHandle(file.handle);
    if (!ok && file.created) DeleteFileW(win32::WidePath(path).c_str());
    return ok;
}

}  // namespace nuvaro
