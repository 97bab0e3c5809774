#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace nuvaro::testing {

// The Windows build's folder of programs (NUVARO_WINDOWS_BIN, set by scripts/test-windows), or
// empty when the tests run without one.
std::string WindowsBin();

// The portable program built for Windows (NUVARO_WINDOWS_DIST), or empty.
std::string WindowsDist();
// Copies the whole portable program into `folder`.
void CopyWindowsDist(const std::string& folder);

// Copies `names` from the Windows build's folder into `folder`.
void CopyWindowsFiles(const std::string& folder, const std::vector<std::string>& names);

struct WineRun {
    int exitCode = -1;   // -1: did not end in time (it was killed)
    std::string output;  // what it wrote to its standard output
};

// Runs the Windows program `exe` of `folder` under Wine (the environment's prefix) with `args`,
// in that folder, and waits for it at most `timeout`.
WineRun RunWine(const std::string& folder, const std::string& exe,
                const std::vector<std::string>& args,
                std::chrono::seconds timeout = std::chrono::seconds(120));

// Starts it without waiting; its output goes nowhere.
pid_t StartWine(const std::string& folder, const std::string& exe,
                const std::vector<std::string>& args);

// Waits at most `timeout` for a started program; its exit code, or -1 when it did not end.
int WaitForWine(pid_t pid, std::chrono::seconds timeout);

}  // namespace nuvaro::testing
