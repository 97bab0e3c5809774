#include "wine/wine_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace nuvaro::testing {
namespace {

pid_t Spawn(const std::string& folder, const std::string& exe, const std::vector<std::string>& args,
            int out) {
    std::vector<std::string> all{"wine", folder + "/" + exe};
    all.insert(all.end(), args.begin(), args.end());
    pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    if (chdir(folder.c_str()) != 0) _exit(127);
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(out >= 0 ? out : null, 1);
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execvp("wine", argv.data());
    _exit(127);
}

}  // namespace

std::string WindowsBin() {
    const char* bin = std::getenv("NUVARO_WINDOWS_BIN");
    return bin ? bin : "";
}

std::string WindowsDist() {
    const char* dist = std::getenv("NUVARO_WINDOWS_DIST");
    return dist ? dist : "";
}

void CopyWindowsDist(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(WindowsDist())) {
        std::filesystem::copy(entry.path(), folder + "/" + entry.path().filename().string());
    }
}

void CopyWindowsFiles(const std::string& folder, const std::vector<std::string>& names) {
    for (const auto& name : names) {
        std::filesystem::copy_file(WindowsBin() + "/" + name, folder + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

pid_t StartWine(const std::string& folder, const std::string& exe,
                const std::vector<std::string>& args) {
    return Spawn(folder, exe, args, -1);
}

int WaitForWine(pid_t pid, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

WineRun RunWine(const std::string& folder, const std::string& exe,
                const std::vector<std::string>& args, std::chrono::seconds timeout) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    pid_t pid = Spawn(folder, exe, args, pipeFds[1]);
    close(pipeFds[1]);
    fcntl(pipeFds[0], F_SETFL, O_NONBLOCK);
    WineRun run;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[4096];
    // Wine's server may keep the pipe open after the program ended: the end of the program,
    // not of the pipe, ends the wait.
    for (bool ended = false; !ended;) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        poll(&fd, 1, 100);
        for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            run.output.append(buffer, static_cast<size_t>(n));
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            ended = true;
        } else if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            ended = true;
        }
    }
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    return run;
}

}  // namespace nuvaro::testing
