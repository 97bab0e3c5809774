// Closing the main window, with and without a notification area. Runs on a display of its own
// (see tests/CMakeLists.txt), since it starts a tray host there.
#include <gmock/gmock.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "harness/main_frame_fixture.h"
#include "platform/wx/tray_icon.h"

extern char** environ;

namespace nuvaro::testing {
namespace {

class TrayTest : public MainFrameTest {};

TEST_F(TrayTest, WithoutANotificationAreaClosingMinimisesTheWindow) {
    ASSERT_FALSE(TTrayNotifyIcon::Available());
    TMainFrm& f = StartFrame();
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(f.LastCloseAction(), TMainFrm::CloseAction::Iconized);
    EXPECT_TRUE(f.IsShown());              // never hidden: there would be no way back
    EXPECT_TRUE(balloons->shown.empty());  // no notification area to point to
}

TEST_F(TrayTest, WithANotificationAreaClosingHidesAndTheIconBringsItBack) {
    char arg0[] = "trayer", arg1[] = "--expand", arg2[] = "false";
    char* argv[] = {arg0, arg1, arg2, nullptr};
    pid_t tray = 0;
    ASSERT_EQ(posix_spawnp(&tray, "trayer", nullptr, nullptr, argv, environ), 0);
    ASSERT_TRUE(PumpUntil([] { return TTrayNotifyIcon::Available(); }, 10000));

    TMainFrm& f = StartFrame();
    EXPECT_TRUE(f.TrayIcon()->IsIconInstalled());
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(f.LastCloseAction(), TMainFrm::CloseAction::Hidden);
    EXPECT_FALSE(f.IsShown());
    f.TrayIcon()->DoubleClicked();
    EXPECT_TRUE(f.IsShown());

    // The first time, a balloon says where the program went and how to get it back or end it;
    // clicking it brings the window back. Then never again, not after a restart either.
    ASSERT_EQ(balloons->shown.size(), 1u);
    EXPECT_EQ(balloons->shown[0].title, "Nuvaro 仍在运行");
    EXPECT_THAT(balloons->shown[0].text, ::testing::HasSubstr("继续监控"));
    EXPECT_THAT(balloons->shown[0].text, ::testing::HasSubstr("双击"));
    EXPECT_THAT(balloons->shown[0].text, ::testing::HasSubstr("退出程序"));
    EXPECT_THAT(dir.Read("config.ini"), ::testing::HasSubstr("[Tray]\r\nToldOnClose=1\r\n"));
    f.Close();
    balloons->shown[0].onClick();
    EXPECT_TRUE(f.IsShown());
    f.Close();
    TMainFrm& again = RestartFrame();
    again.Close();
    EXPECT_EQ(again.LastCloseAction(), TMainFrm::CloseAction::Hidden);
    EXPECT_EQ(balloons->shown.size(), 1u);

    CloseFrame();
    kill(tray, SIGTERM);
    waitpid(tray, nullptr, 0);
}

}  // namespace
}  // namespace nuvaro::testing
