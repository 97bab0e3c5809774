#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/main_frame.h"
#include "harness/gui_pump.h"
#include "harness/recording_balloons.h"
#include "support/recording_notices.h"
#include "support/recording_shell.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {

// The real main window over a temporary executable folder, with recording notices, balloons
// and shell, and a temporary configuration home for the autostart entries.
class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    TMainFrm& StartFrame();
    TMainFrm& RestartFrame();
    void CloseFrame();

    // Writes Config.inf from UTF-8 text with LF line ends (stored as GBK with CR LF).
    void WriteConfig(const std::string& utf8) const;
    std::string ConfigValue(const std::string& section, const std::string& key) const;
    std::string LastText() const {
        return notices->shown.empty() ? "" : notices->shown.back().text;
    }

    TempExeDir dir;
    std::string configHome;
    RecordingNotices* notices = nullptr;
    RecordingShell* shell = nullptr;
    RecordingBalloons* balloons = nullptr;
    TMainFrm* frame = nullptr;
};

}  // namespace nuvaro::testing
