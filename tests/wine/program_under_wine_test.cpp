// nuvaro.exe under Wine, from its portable folder, looked at through the windows it shows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "core/texts.h"
#include "support/temp_dir.h"
#include "wine/wine_run.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

std::string Dist() {
    const char* dist = std::getenv("NUVARO_WINDOWS_DIST");
    return dist ? dist : "";
}

class WindowsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Dist().empty() || testing::WindowsBin().empty()) {
            GTEST_SKIP() << "NUVARO_WINDOWS_DIST or NUVARO_WINDOWS_BIN is not set";
        }
        for (const auto& entry : std::filesystem::directory_iterator(Dist())) {
            std::filesystem::copy(entry.path(), m_dir.File(entry.path().filename().string()));
        }
        testing::CopyWindowsFiles(m_dir.path(), {"gui_probe.exe"});
    }
    void TearDown() override {
        if (m_first > 0) {
            kill(-m_first, SIGKILL);
            testing::WaitForWine(m_first, std::chrono::seconds(10));
        }
    }

    testing::WineRun Probe(std::vector<std::string> args) {
        return testing::RunWine(m_dir.path(), "gui_probe.exe", std::move(args));
    }

    testing::TempExeDir m_dir;
    pid_t m_first = -1;
};

TEST_F(WindowsProgram, ComesUpWithTabsAndItsIconSaysThereIsNoPageEngineAndRefusesASecondCopy) {
    m_first = testing::StartWine(m_dir.path(), "nuvaro.exe", {});
    testing::WineRun window = Probe({"window", text::kMainCaption, "120"});
    ASSERT_EQ(window.exitCode, 0) << "no main window: " << window.output;
    EXPECT_THAT(window.output, MatchesRegex("(.|\n)*tabs=[1-9][0-9]*\n(.|\n)*"));
    EXPECT_THAT(window.output, HasSubstr("tray=1"));

    // Wine has no page engine: the program says so and works on.
    testing::WineRun boxes = Probe({"boxes", text::kCaptionNotice, "60"});
    EXPECT_THAT(boxes.output, HasSubstr(std::string("box=") + text::kNoPageEngineReason));
    // Over the main window, not hidden behind it.
    EXPECT_THAT(boxes.output, HasSubstr(std::string("owner=") + text::kMainCaption + "\n"));

    pid_t second = testing::StartWine(m_dir.path(), "nuvaro.exe", {});
    bool told = false;
    for (int i = 0; i < 60 && !told; ++i) {
        told = Probe({"boxes", text::kCaptionNotice, "2"}).output.find(text::kAlreadyRunning) !=
               std::string::npos;
    }
    EXPECT_TRUE(told) << "the second copy showed no box";
    EXPECT_EQ(Probe({"press", text::kCaptionNotice, text::kAlreadyRunning}).exitCode, 0);
    EXPECT_NE(testing::WaitForWine(second, std::chrono::seconds(60)), -1) << "second copy stayed";
    EXPECT_EQ(Probe({"window", text::kMainCaption, "10"}).exitCode, 0) << "the first copy ended";

    // The first start switched start at logon on, in the user's registry.
    testing::WineRun registry = Probe({"registry"});
    EXPECT_THAT(registry.output, HasSubstr("reg=1\n"));
    EXPECT_THAT(registry.output, MatchesRegex("(.|\n)*run=\"Z:.*\\\\nuvaro.exe\"\n(.|\n)*"));
}

}  // namespace
}  // namespace nuvaro
