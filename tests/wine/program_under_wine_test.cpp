// nuvaro.exe under Wine, from its portable folder, looked at through the windows it shows.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/texts.h"
#include "wine/windows_program.h"

namespace nuvaro {
namespace {

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

using testing::WindowsProgram;

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
    // No script of a page may make the engine ask whether to stop it.
    EXPECT_THAT(registry.output, HasSubstr("scripts=4294967295\n"));
}

// The menu bar as drawn on the screen (scripts/test-windows runs this under a Chinese locale in
// a prefix made under another one, as a user's older prefix may be): Chinese, not empty boxes.
TEST_F(WindowsProgram, DrawsItsMenuBarInChinese) {
    m_first = testing::StartWine(m_dir.path(), "nuvaro.exe", {});
    ASSERT_EQ(Probe({"window", text::kMainCaption, "120"}).exitCode, 0);
    testing::WineRun menu = Probe({"menu", text::kMainCaption, text::kMenuSystem});
    ASSERT_EQ(menu.exitCode, 0) << menu.output;
    EXPECT_THAT(menu.output, HasSubstr("menu=chinese")) << menu.output;
}

}  // namespace
}  // namespace nuvaro
