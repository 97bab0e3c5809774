#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

namespace nuvaro::win32 {

// Every file the program opens lets others read, write, rename and delete it meanwhile, as
// POSIX files do: a log viewer never blocks an append, a reader never blocks a replace.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenFile(const std::string& path, DWORD access, DWORD disposition, DWORD flags = 0,
                SECURITY_ATTRIBUTES* security = nullptr);

// Locks of the program's writers cover one byte far past any real content, so that they
// exclude each other but never a reader of the data.
bool LockFarByte(HANDLE file, std::chrono::milliseconds wait);

bool WriteAllTo(HANDLE file, std::string_view data);

}  // namespace nuvaro::win32
