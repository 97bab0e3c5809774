// Restoring, adding and closing monitoring windows on the real main window.
#include <gmock/gmock.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "harness/main_frame_fixture.h"

namespace nuvaro::testing {
namespace {

std::vector<int> OpenNumbers(TMainFrm& f) {
    std::vector<int> numbers;
    for (size_t i = 0; i < f.PageControl()->GetPageCount(); ++i) {
        for (int n = 0; n < 30; ++n) {
            if (f.Window(n) &&
                static_cast<wxWindow*>(f.Window(n)->Page()) == f.PageControl()->GetPage(i))
                numbers.push_back(n);
        }
    }
    return numbers;
}

std::string Caption(TMainFrm& f, size_t page) {
    return f.PageControl()->GetPageText(page).utf8_string();
}

TEST_F(MainFrameTest, FirstStartShowsOnlyAnEmptyDefaultPage) {
    TMainFrm& f = StartFrame();
    EXPECT_EQ(OpenNumbers(f), std::vector<int>{0});
    EXPECT_EQ(Caption(f, 0), "默认页面");
    MonitorWindow& page = f.DefaultPage();
    EXPECT_EQ(page.NameEdit()->GetValue(), "");  // the design text "新窗口" is replaced
    EXPECT_EQ(page.UrlEdit()->GetValue(), "");
    EXPECT_EQ(page.RefreshEdit()->GetValue(), "");
    EXPECT_FALSE(page.SmsCheck()->GetValue());
    EXPECT_FALSE(page.EmailCheck()->GetValue());
    EXPECT_FALSE(page.OtherCheck()->GetValue());
    EXPECT_FALSE(dir.Exists("Config.inf"));
    EXPECT_EQ(f.Configs()[1].SectionCount(), 0);
}

struct RestoreCase {
    const char* name;
    const char* config;
    std::vector<int> windows;
    std::vector<std::string> captions;
};
void PrintTo(const RestoreCase& c, std::ostream* os) { *os << c.name; }

class RestoreTest : public MainFrameTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, RebuildsNamedSlotsWithinTheSectionCount) {
    WriteConfig(GetParam().config);
    TMainFrm& f = StartFrame();
    EXPECT_EQ(OpenNumbers(f), GetParam().windows);
    std::vector<std::string> captions;
    for (size_t i = 0; i < f.PageControl()->GetPageCount(); ++i) captions.push_back(Caption(f, i));
    EXPECT_EQ(captions, GetParam().captions);
    EXPECT_EQ(f.PageControl()->GetSelection(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, RestoreTest,
    ::testing::Values(RestoreCase{"consecutive",
                                  "[1]\nWindowName=默认\n[2]\nWindowName=甲\n[3]\nWindowName=乙\n",
                                  {0, 1, 2},
                                  {"默认页面", "甲", "乙"}},
                      RestoreCase{
                          "beyond the count",
                          "[1]\n[2]\nWindowName=甲\n[3]\nWindowName=乙\n[5]\nWindowName=戊\n",
                          {0, 1, 2},
                          {"默认页面", "甲", "乙"}},
                      RestoreCase{"skipped slot keeps the numbers",
                                  "[1]\n[2]\nWindowName=甲\n[3]\nurl=x\n[4]\nWindowName=丁\n",
                                  {0, 1, 3},
                                  {"默认页面", "甲", "丁"}}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) c = isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(MainFrameTest, RestoredWindowShowsItsSlot) {
    WriteConfig(
        "[1]\nWindowName=默认\nurl=http://a\nRefreshTime=3\nSmsOpen=1\n"
        "[2]\nWindowName=价格\nurl=http://b\nRefreshTime=7\nEmailOpen=1\nOtherOpen=true\n");
    TMainFrm& f = StartFrame();
    MonitorWindow& def = f.DefaultPage();
    EXPECT_EQ(def.NameEdit()->GetValue().utf8_string(), "默认");
    EXPECT_EQ(Caption(f, 0), "默认页面");  // the caption waits for the open-page command
    EXPECT_EQ(def.RefreshEdit()->GetValue(), "3");
    EXPECT_TRUE(def.SmsCheck()->GetValue());
    MonitorWindow* w = f.Window(1);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->NameEdit()->GetValue().utf8_string(), "价格");
    EXPECT_EQ(w->UrlEdit()->GetValue(), "http://b");
    EXPECT_EQ(w->RefreshEdit()->GetValue(), "7");
    EXPECT_EQ(w->RefreshEdit()->GetName(), "RefreshTime1");
    EXPECT_FALSE(w->SmsCheck()->GetValue());
    EXPECT_TRUE(w->EmailCheck()->GetValue());
    EXPECT_FALSE(w->OtherCheck()->GetValue());
    EXPECT_FALSE(f.IsMonitoring(1));
}

TEST_F(MainFrameTest, NewWindowTakesTheNextSlotAndBecomesActive) {
    WriteConfig("[1]\n[2]\nRefreshTime=9\n");
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    ASSERT_NE(f.Window(1), nullptr);
    EXPECT_EQ(f.PageControl()->GetSelection(), 1);
    EXPECT_EQ(f.Window(1)->RefreshEdit()->GetValue(), "9");  // whatever slot 2 holds
    EXPECT_EQ(Caption(f, 1), "");
}

TEST_F(MainFrameTest, NewWindowNeverTakesTheNumberOfAnOpenOne) {
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    f.NewWindowClick();
    f.NewWindowClick();  // windows 1, 2, 3
    f.PageControl()->SetSelection(1);
    f.CloseWindowClick();  // close window 1: three pages remain, window 3 still open
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 2, 3}));
    f.NewWindowClick();  // the page count (3) is taken: the lowest free number is 1
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 2, 3, 1}));
    f.NewWindowClick();  // page count 4 is free
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 2, 3, 1, 4}));
}

TEST_F(MainFrameTest, ThirtyPagesAreTheLimitAndTheUserIsTold) {
    TMainFrm& f = StartFrame();
    for (int i = 0; i < 29; ++i) f.NewWindowClick();
    EXPECT_EQ(f.PageCount(), 30);
    EXPECT_TRUE(notices->shown.empty());
    f.NewWindowClick();
    EXPECT_EQ(f.PageCount(), 30);
    EXPECT_EQ(LastText(), "最多只能打开30个监控窗口。");
}

TEST_F(MainFrameTest, ClosingAWindowStopsItsMonitoringAndKeepsItsSlot) {
    WriteConfig(
        "[1]\n[2]\nWindowName=甲\nurl=http://a\n[3]\nWindowName=乙\nRegx=x\nRefreshTime=1\n");
    TMainFrm& f = StartFrame();
    f.StartStopNClick(2);
    ASSERT_TRUE(f.IsMonitoring(2));
    f.PageControl()->SetSelection(2);
    f.CloseWindowClick();
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 1}));
    EXPECT_EQ(f.PageControl()->GetSelection(), 0);
    EXPECT_FALSE(f.IsMonitoring(2));
    EXPECT_EQ(f.Configs()[3].WindowName, "乙");
    f.NewWindowClick();  // the number is free again: the new window starts stopped
    ASSERT_NE(f.Window(2), nullptr);
    EXPECT_FALSE(f.IsMonitoring(2));
    f.PageControl()->SetSelection(2);
    f.CloseWindowClick();

    f.PageControl()->SetSelection(0);
    f.CloseWindowClick();  // the default page cannot be closed
    EXPECT_EQ(f.PageCount(), 2);

    TMainFrm& again = RestartFrame();
    EXPECT_EQ(OpenNumbers(again), (std::vector<int>{0, 1, 2}));
}

TEST_F(MainFrameTest, RightClickOnATabOpensTheTabMenuElsewhereNothing) {
    TMainFrm& f = StartFrame();
    std::vector<std::string> menus;
    f.PopupTabMenu = [&](wxMenu& menu, const wxPoint&) {
        std::string items;
        for (auto* item : menu.GetMenuItems()) items += item->GetItemLabel().utf8_string() + ";";
        menus.push_back(items);
    };
    long flags = 0;
    wxPoint onTab;
    for (int y = 1; y < 40 && f.PageControl()->HitTest(onTab, &flags) == wxNOT_FOUND; ++y) {
        onTab = wxPoint(30, y);
    }
    ASSERT_NE(f.PageControl()->HitTest(onTab, &flags), wxNOT_FOUND);
    EXPECT_TRUE(f.TabsMouseUp(onTab));
    EXPECT_FALSE(f.TabsMouseUp(wxPoint(300, 300)));
    EXPECT_EQ(menus, std::vector<std::string>{
                         "新建窗口(&N);关闭当前窗口(&C);;全部开始监控;全部停止监控;"});
}

// An added window's settings panel has the tab menu too; closing the window from it destroys
// the panel whose click opened the menu.
TEST_F(MainFrameTest, TheSettingsPanelOfAnAddedWindowOpensTheTabMenuWhichCanCloseIt) {
    TMainFrm& f = StartFrame();
    f.NewWindowClick();
    int shown = 0;
    f.PopupTabMenu = [&](wxMenu& menu, const wxPoint&) {
        ++shown;
        wxMenuItem* close = menu.FindItemByPosition(1);
        wxCommandEvent choose(wxEVT_MENU, close->GetId());
        menu.ProcessEvent(choose);
    };
    wxWindow* panel = f.Window(1)->SettingsPanel();
    wxMouseEvent up(wxEVT_RIGHT_UP);
    up.SetEventObject(panel);
    up.SetPosition(wxPoint(5, 5));
    panel->ProcessWindowEvent(up);
    Pump(50);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(f.Window(1), nullptr);
    EXPECT_EQ(f.PageCount(), 1);
}

// Starting ten windows takes one command and one box that says what did not start and why.
TEST_F(MainFrameTest, StartAllAndStopAllFromTheTabMenuTellInOneBox) {
    WriteConfig(
        "[1]\nWindowName=首页\n[2]\nWindowName=甲\nRegx=x\n[3]\nWindowName=乙\nRegx=x\n"
        "[4]\nWindowName=丙\nRegx=x\n");
    TMainFrm& f = StartFrame();
    f.DefaultPage().RefreshEdit()->SetValue("1");  // but no condition
    f.Window(1)->RefreshEdit()->SetValue("2");
    f.Window(2)->RefreshEdit()->SetValue("abc");
    f.Window(3)->RefreshEdit()->SetValue("1");
    f.StartStopNClick(3);
    notices->shown.clear();
    int item = 3;  // after new, close and the separator
    f.PopupTabMenu = [&](wxMenu& menu, const wxPoint&) {
        wxCommandEvent choose(wxEVT_MENU, menu.FindItemByPosition(item)->GetId());
        menu.ProcessEvent(choose);
    };
    long flags = 0;
    wxPoint onTab;
    for (int y = 1; y < 40 && f.PageControl()->HitTest(onTab, &flags) == wxNOT_FOUND; ++y) {
        onTab = wxPoint(30, y);
    }
    ASSERT_TRUE(f.TabsMouseUp(onTab));
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(LastText(),
              "已开始监控：\n    甲（2 分钟）\n原已在监控：\n    丙\n未能开始监控：\n"
              "    默认页面：您没有设定监控条件！\n"
              "    乙：'abc' 不是有效的刷新时间，请输入1到35791之间的整数（分钟）\n");
    EXPECT_FALSE(f.IsMonitoring(0));
    EXPECT_TRUE(f.IsMonitoring(1));
    EXPECT_FALSE(f.IsMonitoring(2));
    EXPECT_EQ(f.Window(1)->StartStopButton()->GetLabel().utf8_string(), "停止监控");

    item = 4;
    f.TabsMouseUp(onTab);
    EXPECT_EQ(LastText(), "已停止监控：\n    甲\n    丙\n");
    EXPECT_FALSE(f.IsMonitoring(1) || f.IsMonitoring(3));
    EXPECT_EQ(f.Window(3)->StartStopButton()->GetLabel().utf8_string(), "开始监控");
}

// The main menu's "窗口(&W)" holds the tab menu's commands and works as it does.
TEST_F(MainFrameTest, TheWindowsMenuOfTheMainMenuHoldsTheTabMenusCommands) {
    TMainFrm& f = StartFrame();
    wxMenuBar* bar = f.GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    EXPECT_EQ(bar->GetMenuLabel(1).utf8_string(), "窗口(&W)");
    wxMenu* windows = bar->GetMenu(1);
    std::string items;
    for (auto* item : windows->GetMenuItems()) items += item->GetItemLabel().utf8_string() + ";";
    EXPECT_EQ(items, "新建窗口(&N);关闭当前窗口(&C);;全部开始监控;全部停止监控;");
    auto choose = [&](size_t position) {
        windows->SendEvent(windows->FindItemByPosition(position)->GetId());
    };
    choose(0);
    choose(0);
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(f.PageControl()->GetSelection(), 2);
    choose(1);
    EXPECT_EQ(OpenNumbers(f), (std::vector<int>{0, 1}));
    notices->shown.clear();
    choose(3);  // nothing can start: one box says why
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_THAT(LastText(), ::testing::HasSubstr("未能开始监控"));
}

}  // namespace
}  // namespace nuvaro::testing
