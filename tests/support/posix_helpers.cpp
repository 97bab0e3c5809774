// The helpers of notify_helpers.h that start POSIX programs or use POSIX sockets.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/notify_helpers.h"

namespace nuvaro::testing {

std::string InstallRecorder(const TempExeDir& dir, std::string_view name) {
    std::string target = dir.File(name);
    std::filesystem::copy_file(std::string(NUVARO_TEST_SCRIPTS) + "/record_args.sh", target,
                               std::filesystem::copy_options::overwrite_existing);
    chmod(target.c_str(), 0755);
    return target;
}

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

}  // namespace nuvaro::testing
