#pragma once

#include <string>

namespace nuvaro {

// The few calls into the operating system that portable code makes, one implementation per
// system (platform/posix, platform/win32). Paths are the program's own: the file system's bytes
// here, UTF-8 on Windows.

// Creates the folder `path` for its owner only (its parent must exist); false when it is not
// there afterwards.
bool MakeFolder(const std::string& path);

// This machine's name, "localhost" when it has none.
std::string HostName();

// The running process's number.
long ProcessId();

// The bytes of a numeric IPv4 or IPv6 address as the system reads it (inet_pton); false when
// `text` is no such address.
bool ParseIpv4(const std::string& text, unsigned char (&bytes)[4]);
bool ParseIpv6(const std::string& text, unsigned char (&bytes)[16]);

}  // namespace nuvaro
