#include "core/system.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/owner_only.h"
#include "platform/win32/wide.h"

namespace nuvaro {

bool MakeFolder(const std::string& path) {
    std::wstring wide = win32::WidePath(path);
    if (CreateDirectoryW(wide.c_str(), win32::OwnerOnly(true).Attributes())) return true;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string HostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size) || size == 0) return "localhost";
    return win32::Utf8(std::wstring_view(name, size));
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ParseIpv4(const std::string& text, unsigned char (&bytes)[4]) {
    return inet_pton(AF_INET, text.c_str(), bytes) == 1;
}

bool ParseIpv6(const std::string& text, unsigned char (&bytes)[16]) {
    return inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

}  // namespace nuvaro
