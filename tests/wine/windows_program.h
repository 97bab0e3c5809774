#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include "support/temp_dir.h"
#include "wine/wine_run.h"

namespace nuvaro::testing {

// A test of nuvaro.exe in a folder of its own: the portable program and the probe
// (tests/windows/gui_probe.cpp); the program started there is ended after the test.
class WindowsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (WindowsDist().empty() || WindowsBin().empty()) {
            GTEST_SKIP() << "NUVARO_WINDOWS_DIST or NUVARO_WINDOWS_BIN is not set";
        }
        CopyWindowsDist(m_dir.path());
        CopyWindowsFiles(m_dir.path(), {"gui_probe.exe"});
    }
    void TearDown() override {
        if (m_first > 0) {
            kill(-m_first, SIGKILL);
            WaitForWine(m_first, std::chrono::seconds(10));
        }
    }

    WineRun Probe(std::vector<std::string> args) {
        return RunWine(m_dir.path(), "gui_probe.exe", std::move(args));
    }

    TempExeDir m_dir;
    pid_t m_first = -1;  // the program
};

}  // namespace nuvaro::testing
