// The monitoring-condition dialog over real slots and Config.inf, opened from the windows'
// buttons and driven inside its modal loop.
#include <sys/stat.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include "app/monitor_window.h"
#include "conditions/reg_frm.h"
#include "harness/main_frame_fixture.h"
#include "harness/modal_driver.h"
#include "monitor/run_state.h"
#include "support/fake_page.h"

namespace nuvaro::testing {
namespace {

wxString W(const char* utf8) { return wxString::FromUTF8(utf8); }

class ConditionDialogTest : public MainFrameTest {
  protected:
    // Opens window n's condition dialog with its button and runs `drive` on it.
    void WithDialog(int n, const std::function<void(TRegFrm&)>& drive) {
        ModalDriver driver([&](wxDialog& d) { drive(dynamic_cast<TRegFrm&>(d)); });
        Click(frame->Window(n)->ConditionButton());
        EXPECT_TRUE(driver.Ran());
        EXPECT_FALSE(ModalDriver::ModalOpen());
    }
};

TEST_F(ConditionDialogTest, ShowsTheSlotsConditionAndKeepsEveryLineOfTheNewOne) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=甲\nRegx=旧条件\nRegGrp=2\n");
    TMainFrm& f = StartFrame();
    f.Configs()[2].LastMatch = GT("128");
    f.SavedState().SetLastMatch(2, GT("128"));
    WithDialog(1, [&](TRegFrm& d) {
        EXPECT_EQ(d.GetTitle().utf8_string(), "设定搜索条件");
        EXPECT_EQ(d.GetClientSize(), wxSize(475, 370));  // grown by the fields below the group
        EXPECT_EQ(d.Memo()->GetValue().utf8_string(), "旧条件");
        d.Memo()->SetValue(W("价格(\\d+)\n第二行"));
        Click(d.OkButton());
    });
    EXPECT_EQ(f.Configs()[2].Regx, "价格(\\d+)\r\n第二行");
    EXPECT_EQ(ConfigValue("2", "Regx"), "价格(\\d+)\r\n第二行");
    EXPECT_EQ(ConfigValue("2", "RegGrp"), "2");  // untouched
    EXPECT_TRUE(f.Configs()[2].LastMatch.empty());
    EXPECT_EQ(RunState(dir.File(RunState::kFileName)).LastMatch(2).size, 0u);  // on disk too
    EXPECT_EQ(LastText(), "当前窗口：甲 搜索条件设置已保存！");
    EXPECT_EQ(notices->shown.back().caption, "Nuvaro");

    WithDialog(1, [&](TRegFrm& d) {  // reopened: the whole text again
        EXPECT_EQ(d.Memo()->GetValue().utf8_string(), "价格(\\d+)\n第二行");
        Click(d.CancelButton());
    });
}

TEST_F(ConditionDialogTest, TheDefaultPagesButtonEditsSlotOneAndAnEmptyMemoIsSaved) {
    WriteConfig("[1]\nWindowName=首页\nRegx=缺货\n");
    TMainFrm& f = StartFrame();
    WithDialog(0, [&](TRegFrm& d) {
        d.Memo()->SetValue("");
        Click(d.OkButton());
    });
    EXPECT_EQ(f.Configs()[1].Regx, "");
    EXPECT_EQ(ConfigValue("1", "Regx"), "");
    EXPECT_EQ(LastText(), "当前窗口：首页 搜索条件设置已保存！");
    f.StartStopClick();  // an empty condition does not start
    EXPECT_EQ(LastText(), "您没有设定监控条件！");
}

TEST_F(ConditionDialogTest, CancelAndTheTitleBarWriteNothingAndKeepTheLastMatch) {
    WriteConfig("[1]\nWindowName=首页\nRegx=缺货\n");
    TMainFrm& f = StartFrame();
    f.Configs()[1].LastMatch = GT("缺货");
    const std::string before = dir.Read("Config.inf");
    WithDialog(0, [&](TRegFrm& d) {
        d.Memo()->SetValue(W("到货"));
        Click(d.CancelButton());
    });
    WithDialog(0, [&](TRegFrm& d) {
        d.Memo()->SetValue(W("到货"));
        d.Close();
    });
    EXPECT_EQ(dir.Read("Config.inf"), before);
    EXPECT_EQ(f.Configs()[1].Regx, "缺货");
    EXPECT_EQ(f.Configs()[1].LastMatch, GT("缺货"));
    EXPECT_TRUE(notices->shown.empty());
}

TEST_F(ConditionDialogTest, ARefusedWriteIsShownAndNeitherClearsTheLastMatchNorClaimsSuccess) {
    WriteConfig("[1]\nWindowName=首页\nRegx=缺货\n");
    TMainFrm& f = StartFrame();
    f.Configs()[1].LastMatch = GT("缺货");
    chmod(dir.File("Config.inf").c_str(), 0444);
    const std::string before = dir.Read("Config.inf");
    int result = 0;
    WithDialog(0, [&](TRegFrm& d) {
        d.Memo()->SetValue(W("到货"));
        Click(d.OkButton());
        result = d.Result();
    });
    EXPECT_EQ(result, wxID_OK);
    ASSERT_EQ(notices->shown.size(), 1u);
    EXPECT_EQ(notices->shown[0].text, "Unable to write to " + dir.File("Config.inf"));
    EXPECT_EQ(notices->shown[0].icon, Notices::Icon::Error);
    EXPECT_EQ(dir.Read("Config.inf"), before);
    EXPECT_EQ(f.Configs()[1].LastMatch, GT("缺货"));
}

// An expression the matcher cannot use is refused where it is typed, not at the next tick.
TEST_F(ConditionDialogTest, AnExpressionThatDoesNotCompileIsRefusedWithTheDialogOpen) {
    WriteConfig("[1]\nWindowName=首页\n[2]\nWindowName=甲\nRegx=旧条件\n");
    TMainFrm& f = StartFrame();
    f.Configs()[2].LastMatch = GT("128");
    const std::string before = dir.Read("Config.inf");
    WithDialog(1, [&](TRegFrm& d) {
        d.Memo()->SetValue(W("价格(\\d+"));
        Click(d.OkButton());
        EXPECT_TRUE(d.IsModal());  // still open, with what was typed
        long from = 0, to = 0;
        d.Memo()->GetSelection(&from, &to);
        EXPECT_EQ(from, 5);  // the place of the fault is marked
        EXPECT_EQ(f.Configs()[2].Regx, "旧条件");
        d.Memo()->SetValue(W("价格(\\d+)"));
        Click(d.OkButton());
    });
    ASSERT_EQ(notices->shown.size(), 2u);
    const auto& refused = notices->shown[0];
    EXPECT_EQ(refused.caption, "设定搜索条件");
    EXPECT_EQ(refused.icon, Notices::Icon::Error);
    EXPECT_EQ(refused.text.rfind("正则表达式有错误，没有保存：缺少右括号“)”（missing closing "
                                 "parenthesis）\n出错位置：第 6 个字符",
                                 0),
              0u)
        << refused.text;
    EXPECT_EQ(LastText(), "当前窗口：甲 搜索条件设置已保存！");
    EXPECT_NE(dir.Read("Config.inf"), before);
    EXPECT_EQ(ConfigValue("2", "Regx"), "价格(\\d+)");
}

TEST_F(ConditionDialogTest, WithoutASlotOkClosesAndSavesNothing) {
    StartFrame();
    TRegFrm* d = new TRegFrm(nullptr);
    d->FormShow();
    d->OkClick();
    EXPECT_EQ(d->Result(), wxID_OK);
    d->Destroy();
    EXPECT_FALSE(dir.Exists("Config.inf"));
    EXPECT_TRUE(notices->shown.empty());
}

// A page whose scripts never stop: 试一试 gives up and the dialog can be used again.
TEST_F(ConditionDialogTest, APageThatNeverAnswersDoesNotLeaveTheDialogStuck) {
    StartFrame();
    FakeClock clock;
    FakePage page(clock);
    page.location = "http://127.0.0.1/";
    page.neverAnswer = true;
    TRegFrm* d = new TRegFrm(nullptr, {}, &page);
    d->SetReadTimeout(std::chrono::milliseconds(200));
    d->TryClick();
    EXPECT_TRUE(d->Reading());
    EXPECT_FALSE(d->OkButton()->IsEnabled());
    ASSERT_TRUE(PumpUntil([&] { return !d->Reading(); }));
    EXPECT_TRUE(d->OkButton()->IsEnabled());
    EXPECT_TRUE(d->TryButton()->IsEnabled());
    EXPECT_TRUE(d->TrialText()->GetValue().Contains(W("没有及时回应")));
    d->Destroy();
}

}  // namespace
}  // namespace nuvaro::testing
