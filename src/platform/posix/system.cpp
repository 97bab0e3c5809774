#include "core/system.h"

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/private_files.h"

namespace nuvaro {

bool MakeFolder(const std::string& path) {
    struct stat st {};
    return mkdir(path.c_str(), kPrivateFolderMode) == 0 ||
           (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

long ProcessId() { return static_cast<long>(getpid()); }

bool ParseIpv4(const std::string& text, unsigned char (&bytes)[4]) {
    return inet_pton(AF_INET, text.c_str(), bytes) == 1;
}

bool ParseIpv6(const std::string& text, unsigned char (&bytes)[16]) {
    return inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

}  // namespace nuvaro
