// Whole-slot saves against a writer killed at random moments, and two writers of one file.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "config/settings_files.h"
#include "core/ini_file.h"
#include "support/store_values.h"
#include "support/temp_dir.h"

extern char** environ;

namespace nuvaro {
namespace {

using testing::TempExeDir;

// The store_writer helper, started with `args`; with `readyPipe`, its stdout goes there.
pid_t StartWriter(const std::vector<std::string>& args, int* readyPipe = nullptr) {
    std::vector<std::string> all{NUVARO_STORE_WRITER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int out[2] = {-1, -1};
    if (readyPipe) {
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
    }
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    if (readyPipe) {
        close(out[1]);
        *readyPipe = out[0];
    }
    return pid;
}

int ExitCode(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::filesystem::path> Temporaries(const std::string& folder) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(".Config.inf.", 0) == 0 && name != ".Config.inf.lock")
            found.push_back(entry);
    }
    return found;
}

TEST(StoreUnderKill, EverySlotIsWhollyOneSaveAndNoTemporaryOutlivesTheNextStart) {
    constexpr int kKills = 120;
    TempExeDir dir;
    const std::string file = dir.File("Config.inf");
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int mixedSlots = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int ready = -1;
        pid_t pid = StartWriter({"slots", file, "k" + std::to_string(kill)}, &ready);
        char buffer[8];
        ASSERT_GT(read(ready, buffer, sizeof buffer), 0) << "writer never got ready";
        close(ready);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid, SIGKILL);
        ExitCode(pid);
        for (int slot = 1; slot <= testing::kWriterSlots; ++slot) {
            if (!testing::WholeSlotTag(file, slot)) ++mixedSlots;
        }
    }
    const size_t leftByKills = Temporaries(dir.path()).size();

    // The next start, a minute or more after the crashes.
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const auto& temp : Temporaries(dir.path())) std::filesystem::last_write_time(temp, old);
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", dir.File("xdg").c_str(), 1);
    int removed = RemoveStaleSettingsTemporaries();
    if (xdg) {
        setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }

    std::cout << "[ figures  ] " << kKills << " kills, " << kKills * testing::kWriterSlots
              << " slots checked, " << mixedSlots
              << " mixed; temporaries left by the kills: " << leftByKills
              << ", removed at the next start: " << removed << "\n";
    EXPECT_EQ(mixedSlots, 0);
    EXPECT_EQ(removed, static_cast<int>(leftByKills));
    EXPECT_TRUE(Temporaries(dir.path()).empty());
}

TEST(StoreWithTwoWriters, NeitherLosesAKeyOfTheOther) {
    constexpr int kKeysEach = 150;
    TempExeDir dir;
    const std::string file = dir.File("Config.inf");
    pid_t a = StartWriter({"keys", file, "a", std::to_string(kKeysEach)});
    pid_t b = StartWriter({"keys", file, "b", std::to_string(kKeysEach)});
    ASSERT_EQ(ExitCode(a), 0);
    ASSERT_EQ(ExitCode(b), 0);

    IniDocument doc = IniFile(file).Load();
    int lost = 0;
    for (const char* prefix : {"a", "b"}) {
        for (int i = 0; i < kKeysEach; ++i) {
            lost += doc.Read("1", prefix + std::to_string(i)) != "v" + std::to_string(i);
        }
    }
    std::cout << "[ figures  ] two writers, " << 2 * kKeysEach << " key writes, " << lost
              << " lost\n";
    EXPECT_EQ(lost, 0);
}

}  // namespace
}  // namespace nuvaro
