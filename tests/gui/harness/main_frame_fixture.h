#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_frame.h"
#include "app/program.h"
#include "harness/gui_pump.h"
#include "harness/recording_balloons.h"
#include "support/recording_notices.h"
#include "support/recording_shell.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {

// The real main window, built as the application builds it (the program first, then the window
// showing it), over a temporary executable folder, with recording notices, balloons and shell,
// and a temporary configuration home for the autostart entries.
class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    TMainFrm& StartFrame();
    TMainFrm& RestartFrame();
    // Exits the program through its window (unless a test did); the window goes first.
    void CloseFrame();

    // Writes Config.inf from UTF-8 text with LF line ends (stored as GBK with CR LF).
    void WriteConfig(const std::string& utf8) const;
    std::string ConfigValue(const std::string& section, const std::string& key) const;
    std::string LastText() const {
        return notices->shown.empty() ? "" : notices->shown.back().text;
    }

    TempExeDir dir;
    std::string configHome;
    std::string savedConfigHome;  // the run's own, put back after the test
    RecordingNotices* notices = nullptr;
    RecordingShell* shell = nullptr;
    RecordingBalloons* balloons = nullptr;
    std::unique_ptr<Program> program;
    TMainFrm* frame = nullptr;
};

}  // namespace nuvaro::testing
