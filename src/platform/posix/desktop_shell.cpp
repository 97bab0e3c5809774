#include "platform/posix/desktop_shell.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>

#include "core/command_line.h"
#include "core/private_files.h"

extern char** environ;

namespace nuvaro {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Starts `job` on a small detached thread of its own, which then waits for exactly that child,
// so it never lingers as a zombie and no other child's status is taken from whoever waits for
// it (GLib, wx). False when no thread could be made.
bool OnOwnThread(void* (*job)(void*), void* arg) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    // Block every signal in the thread, so it never runs a handler meant for the UI thread.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    pthread_t thread;
    int rc = pthread_create(&thread, &attr, job, arg);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    pthread_attr_destroy(&attr);
    return rc == 0;
}

// Waits for exactly this child; its wait status, or -1 when it cannot be had.
int Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        // Descriptors opened without O_CLOEXEC (by us or a library) stay ours.
        posix_spawn_file_actions_addclosefrom_np(&m_actions, STDERR_FILENO + 1);

        posix_spawnattr_init(&m_attr);
        sigset_t none, defaults;
        sigemptyset(&none);
        sigfillset(&defaults);
        sigdelset(&defaults, SIGKILL);
        sigdelset(&defaults, SIGSTOP);
        posix_spawnattr_setsigmask(&m_attr, &none);
        posix_spawnattr_setsigdefault(&m_attr, &defaults);
        posix_spawnattr_setflags(
            &m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    }
    ~SpawnSetup() {
        posix_spawnattr_destroy(&m_attr);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    const posix_spawn_file_actions_t* actions() const { return &m_actions; }
    const posix_spawnattr_t* attr() const { return &m_attr; }

  private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
};

}  // namespace

std::optional<std::string> FindExecutable(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.find('/') != std::string::npos) {
        if (IsExecutableFile(name)) return name;
        return std::nullopt;
    }
    const char* pathVar = std::getenv("PATH");
    std::string_view dirs = pathVar ? pathVar : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        auto colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        if (colon == std::string_view::npos) break;
        dirs.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

namespace {

struct SpawnJob {
    std::string path;
    std::vector<char*> argv;
    bool searchPath = false;
    std::function<void(int status)> ended;
    std::promise<bool> started;
};

pid_t Spawn(SpawnJob& job) {
    SpawnSetup setup;
    pid_t pid = 0;
    char* const* argv = job.argv.data();
    int rc =
        job.searchPath
            ? posix_spawnp(&pid, job.path.c_str(), setup.actions(), setup.attr(), argv, environ)
            : posix_spawn(&pid, job.path.c_str(), setup.actions(), setup.attr(), argv, environ);
    return rc == 0 ? pid : -1;
}

void Ended(const SpawnJob& job, pid_t pid) {
    const int status = Reap(pid);
    if (status >= 0 && job.ended) job.ended(status);
}

// The program keeps its own files private; the child gets the mask its user started us with.
// The thread takes a file mode mask of its own for that, so no other thread's files are made
// with the user's mask meanwhile.
void* SpawnAndReap(void* arg) {
    auto job = std::unique_ptr<SpawnJob>(static_cast<SpawnJob*>(arg));
    if (unshare(CLONE_FS) == 0) umask(UserFileMask());
    pid_t pid = Spawn(*job);
    job->started.set_value(pid > 0);
    if (pid > 0) Ended(*job, pid);
    return nullptr;
}

}  // namespace

bool SpawnDetached(const std::string& path, const std::vector<std::string>& args, bool searchPath,
                   std::function<void(int status)> ended) {
    auto job = std::make_unique<SpawnJob>();
    job->path = path;
    job->searchPath = searchPath;
    job->ended = std::move(ended);
    job->argv.reserve(args.size() + 2);
    job->argv.push_back(job->path.data());
    for (const auto& arg : args) job->argv.push_back(const_cast<char*>(arg.c_str()));
    job->argv.push_back(nullptr);
    std::future<bool> started = job->started.get_future();
    SpawnJob* handedOver = job.release();  // the thread owns it from here
    if (OnOwnThread(SpawnAndReap, handedOver)) return started.get();
    job.reset(handedOver);
    // No thread to spare: start and wait here rather than leave a zombie behind.
    pid_t pid = Spawn(*job);
    if (pid > 0) Ended(*job, pid);
    return pid > 0;
}

DesktopShell::DesktopShell(std::string opener) : m_opener(std::move(opener)) {}

void DesktopShell::OpenDocument(std::string_view target) { Open(target); }

bool DesktopShell::Open(std::string_view target) {
    if (target.empty()) return false;  // nothing to open; the opener would only print its usage
    return SpawnDetached(m_opener, {std::string(target)}, true);
}

void DesktopShell::OpenPath(std::string_view nativePath) {
    if (nativePath.empty()) return;
    SpawnDetached(m_opener, {std::string(nativePath)}, true);
}

// The opener ends at once when it cannot open the file; one that ends later in failure has
// shown the file (a browser closed with an error), and that is no news to the user.
void DesktopShell::OpenPathOrReport(std::string_view nativePath, std::function<void()> failed) {
    constexpr auto kGivesUpWithin = std::chrono::seconds(10);
    const auto started = std::chrono::steady_clock::now();
    auto ended = [failed, started, kGivesUpWithin](int status) {
        const bool soon = std::chrono::steady_clock::now() - started < kGivesUpWithin;
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok && soon && failed) failed();
    };
    if (nativePath.empty() || !SpawnDetached(m_opener, {std::string(nativePath)}, true, ended)) {
        if (failed) failed();
    }
}

bool DesktopShell::Execute(std::string_view file, std::string_view parameters) {
    if (auto program = FindExecutable(std::string(file))) {
        return SpawnDetached(*program, SplitCommandLine(parameters), false);
    }
    return Open(file);
}

}  // namespace nuvaro
