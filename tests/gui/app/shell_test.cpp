// Start at logon, exit, the tray icon, the log viewer, help and about.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>

#include <filesystem>
#include <fstream>

#include "app/monitor_window.h"
#include "core/exe_dir.h"
#include "harness/main_frame_fixture.h"
#include "platform/gtk/tray_icon.h"
#include "platform/posix/autostart.h"

namespace nuvaro::testing {
namespace {

TEST_F(MainFrameTest, FirstRunSwitchesStartAtLogonOn) {
    TMainFrm& f = StartFrame();
    AutostartStore store(configHome);
    EXPECT_EQ(store.ReadReg(), "1");
    EXPECT_TRUE(store.HasRunValue());
    EXPECT_TRUE(f.DefaultPage().AutostartCheck()->GetValue());
    EXPECT_NE(dir.Read("config-home/autostart/Zelvra.desktop").find("Exec=\"" + ExeFilePath() + "\""),
              std::string::npos);
}

TEST_F(MainFrameTest, ARefusedChoiceLeavesTheRunEntryAlone) {
    AutostartStore store(configHome);
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

TEST_F(MainFrameTest, TheCheckBoxSwitchesTheEntryAndRemembersTheChoice) {
    TMainFrm& f = StartFrame();
    AutostartStore store(configHome);
    std::filesystem::remove(store.RunEntryFile());  // gone already: still no error
    wxCheckBox* box = f.DefaultPage().AutostartCheck();
    box->SetValue(false);
    f.chk1Click();
    EXPECT_EQ(store.ReadReg(), "0");
    EXPECT_TRUE(notices->shown.empty());
    box->SetValue(true);
    f.chk1Click();
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

TEST_F(MainFrameTest, DoubleClickOnTheTrayIconTogglesTheWindowOnce) {
    TMainFrm& f = StartFrame();
    f.TrayIcon()->DoubleClicked();
    EXPECT_FALSE(f.IsShown());
    f.TrayIcon()->DoubleClicked();  // the second report of the same double click
    EXPECT_FALSE(f.IsShown());
    wxMilliSleep(450);
    f.TrayIcon()->DoubleClicked();
    EXPECT_TRUE(f.IsShown());
}

TEST_F(MainFrameTest, LogViewerOpensTheMonitoringLogByItsFullPath) {
    TMainFrm& f = StartFrame();
    f.N4Click();
    Click(f.Window(1)->LogButton());
    Click(f.DefaultPage().LogButton());
    ASSERT_EQ(shell->calls.size(), 2u);
    for (const auto& call : shell->calls) {
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.target, dir.File("Log/informlog.txt"));
    }
    EXPECT_TRUE(notices->shown.empty());
}

TEST_F(MainFrameTest, HelpOpensTheShippedPageAndAboutNamesTheVersion) {
    TMainFrm& f = StartFrame();
    f.N9Click();
    ASSERT_EQ(shell->calls.size(), 1u);
    EXPECT_EQ(shell->calls[0].target, dir.File("help.html"));
    f.N8Click();
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
