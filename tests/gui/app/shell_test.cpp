// Start at logon, exit, the tray icon, the log viewer, help and about.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>

#include <filesystem>
#include <fstream>

#include "app/monitor_window.h"
#include "core/exe_dir.h"
#include "harness/main_frame_fixture.h"
#include "monitor/ui/log_viewer_frm.h"
#include "platform/posix/autostart.h"
#include "platform/wx/tray_icon.h"

namespace nuvaro::testing {
namespace {

TEST_F(MainFrameTest, FirstRunSwitchesStartAtLogonOn) {
    TMainFrm& f = StartFrame();
    XdgAutostartStore store(configHome);
    EXPECT_EQ(store.ReadReg(), "1");
    EXPECT_TRUE(store.HasRunValue());
    EXPECT_TRUE(f.DefaultPage().AutostartCheck()->GetValue());
    EXPECT_NE(
        dir.Read("config-home/autostart/Zelvra.desktop").find("Exec=\"" + ExeFilePath() + "\""),
        std::string::npos);
}

TEST_F(MainFrameTest, ARefusedChoiceLeavesTheRunEntryAlone) {
    XdgAutostartStore store(configHome);
    store.WriteReg("0");
    TMainFrm& f = StartFrame();
    EXPECT_FALSE(store.HasRunValue());
    EXPECT_FALSE(f.DefaultPage().AutostartCheck()->GetValue());
    f.Hide();
    f.Show();  // every show synchronises again
    Pump(20);
    EXPECT_FALSE(store.HasRunValue());
    EXPECT_EQ(store.ReadReg(), "0");
}

// Another copy of the program (another build on the machine) left its entry: this copy does
// not start at logon, and the box says so until the user ticks it.
TEST_F(MainFrameTest, AnAutostartEntryForAnotherExecutableShowsUnticked) {
    XdgAutostartStore store(configHome);
    store.WriteReg("1");
    store.WriteRunValue("/opt/another build/nuvaro");
    TMainFrm& f = StartFrame();
    wxCheckBox* box = f.DefaultPage().AutostartCheck();
    EXPECT_FALSE(box->GetValue());
    EXPECT_FALSE(store.RunValueStarts(ExeFilePath()));  // nobody's entry rewritten by a show
    box->SetValue(true);
    f.AutostartClick();
    EXPECT_TRUE(store.RunValueStarts(ExeFilePath()));
    f.Hide();
    f.Show();
    Pump(20);
    EXPECT_TRUE(box->GetValue());
}

TEST_F(MainFrameTest, TheCheckBoxSwitchesTheEntryAndRemembersTheChoice) {
    TMainFrm& f = StartFrame();
    XdgAutostartStore store(configHome);
    std::filesystem::remove(store.RunEntryFile());  // gone already: still no error
    wxCheckBox* box = f.DefaultPage().AutostartCheck();
    box->SetValue(false);
    f.AutostartClick();
    EXPECT_EQ(store.ReadReg(), "0");
    EXPECT_TRUE(notices->shown.empty());
    box->SetValue(true);
    f.AutostartClick();
    EXPECT_EQ(store.ReadReg(), "1");
    EXPECT_TRUE(store.HasRunValue());
}

TEST_F(MainFrameTest, ExitAsksAndYesEndsTheProgram) {
    TMainFrm& f = StartFrame();
    notices->answers = {Notices::Answer::No};
    f.ExitMenuClick();
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "您真的要退出Nuvaro软件吗？");
    EXPECT_EQ(notices->shown[0].caption, "询问");
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Question);
    EXPECT_EQ(notices->shown[0].buttons, Notices::Buttons::YesNo);
    EXPECT_NE(f.LastCloseAction(), TMainFrm::CloseAction::None);  // "No" closes the window

    bool destroyed = false;
    f.Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
        if (e.GetEventObject() == &f) destroyed = true;
        e.Skip();
    });
    notices->answers = {Notices::Answer::Yes};
    f.ExitMenuClick();
    frame = nullptr;  // gone with the program
    EXPECT_TRUE(PumpUntil([&] { return destroyed; }, 5000));
}

// The program outlives its window: once the window is gone, nothing of the program can call
// back into it, and the tray icon is off the desktop.
TEST_F(MainFrameTest, AfterExitTheProgramKeepsNothingOfItsWindow) {
    StartFrame().ExitProgram();
    frame = nullptr;
    Pump(50);  // the window is deleted
    MonitorEngine& engine = program->Engine();
    EXPECT_FALSE(engine.OnStatusChanged);
    EXPECT_FALSE(engine.OnRunEnded);
    EXPECT_EQ(program->TrayIcon(), nullptr);
    EXPECT_EQ(program->Alerts(), nullptr);
}

TEST_F(MainFrameTest, ADoubleClickOnTheTrayIconTogglesTheWindowOnceAndASingleClickDoesNothing) {
    TMainFrm& f = StartFrame();
    TTrayNotifyIcon& icon = *f.TrayIcon();
    const int doubleClickMs = TTrayNotifyIcon::DoubleClickTime();
    auto press = [&] {
        wxTaskBarIconEvent event(wxEVT_TASKBAR_LEFT_DOWN, &icon);
        icon.ProcessEvent(event);
    };
    press();
    Pump(doubleClickMs + 200);  // a single click
    EXPECT_TRUE(f.IsShown());

    press();
    press();
    EXPECT_FALSE(f.IsShown());
    icon.DoubleClicked();  // the same double click reported once more
    EXPECT_FALSE(f.IsShown());
    Pump(doubleClickMs + 200);
    EXPECT_FALSE(f.IsShown());

    press();
    press();
    EXPECT_TRUE(f.IsShown());
}

// A portable copy often lies in a folder with a Chinese name (the desktop of a Chinese session).
TEST_F(MainFrameTest, LogViewerAndHelpOpenTheirFilesByTheirFullPathInAnyFolder) {
    const std::string folder = dir.File("桌面 #1");
    std::filesystem::create_directories(folder);
    SetExeDirForTesting(folder);
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    Click(f.Window(1)->LogButton());
    Click(f.DefaultPage().LogButton());  // the same viewer, read again
    ASSERT_NE(f.LogViewer(), nullptr);
    Click(f.LogViewer()->OpenRawButton());
    Click(f.LogViewer()->OpenRawButton());
    dir.Write("桌面 #1/help.html", "<html></html>");
    f.HelpClick();
    ASSERT_EQ(shell->calls.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shell->calls[i].verb, "open-path");
        EXPECT_EQ(shell->calls[i].target, folder + "/Log/informlog.txt");
    }
    EXPECT_EQ(shell->calls[2].target, folder + "/help.html");
    EXPECT_TRUE(notices->shown.empty());
    EXPECT_EQ(f.HelpPageAddress(), "file://" + dir.path() + "/%E6%A1%8C%E9%9D%A2%20%231/help.html");
}

// Help that cannot be shown says where the page lies, so the user can open it by hand.
TEST_F(MainFrameTest, AHelpPageThatIsMissingOrThatNothingOpensIsToldWithItsPath) {
    TMainFrm& f = StartFrame();
    f.HelpClick();
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(LastText(), "找不到帮助页：\n" + dir.File("help.html"));
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Error);
    EXPECT_TRUE(shell->calls.empty());

    dir.Write("help.html", "<html></html>");
    shell->openFails = true;  // no browser on this desktop
    f.HelpClick();
    ASSERT_TRUE(PumpUntil([&] { return notices->shown.size() == 2; }));
    EXPECT_EQ(LastText(),
              "无法打开帮助页：没有找到可以打开它的浏览器。\n请用浏览器打开这个文件：\n" +
                  dir.File("help.html"));
    EXPECT_EQ(shell->calls.size(), 1u);
}

TEST_F(MainFrameTest, AboutNamesTheProductAndItsVersion) {
    TMainFrm& f = StartFrame();
    f.AboutClick();
    EXPECT_NE(LastText().find(NUVARO_VERSION), std::string::npos);
    EXPECT_NE(LastText().find("Nuvaro"), std::string::npos);
}

TEST(HelpPage, ShipsBesideTheExecutableInChinese) {
    std::string page = std::string(NUVARO_BIN_DIR) + "/help.html";
    ASSERT_TRUE(std::filesystem::exists(page));
    std::ifstream in(page);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("设定监控条件"), std::string::npos);
    EXPECT_EQ(text.find("www."), std::string::npos);  // no address of someone else's site
}

}  // namespace
}  // namespace nuvaro::testing

namespace nuvaro::testing {
namespace {

TEST_F(MainFrameTest, TrayMenuShowsTheWindowAndExitsWithoutAQuestion) {
    TMainFrm& f = StartFrame();
    f.Hide();
    std::unique_ptr<wxMenu> menu(f.TrayIcon()->BuildMenu());
    ASSERT_EQ(menu->GetMenuItemCount(), 2u);
    wxMenuItem* show = menu->FindItemByPosition(0);
    wxMenuItem* exit = menu->FindItemByPosition(1);
    EXPECT_EQ(show->GetItemLabel().utf8_string(), "显示窗口(&S)");
    EXPECT_EQ(exit->GetItemLabel().utf8_string(), "退出程序(&E)");
    wxCommandEvent showEvent(wxEVT_MENU, show->GetId());
    menu->ProcessEvent(showEvent);
    EXPECT_TRUE(f.IsShown());
    wxCommandEvent exitEvent(wxEVT_MENU, exit->GetId());
    menu->ProcessEvent(exitEvent);
    frame = nullptr;  // gone
    EXPECT_TRUE(notices->shown.empty());
    Pump(50);
}

}  // namespace
}  // namespace nuvaro::testing
