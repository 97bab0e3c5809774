// Conditions that read the visible text, one part of the page or the page without its ignored
// parts, over the real WebKit engine and pages on 127.0.0.1; and "试一试" in the condition
// dialog on such a page.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <cstdlib>

#include "app/monitor_window.h"
#include "conditions/reg_frm.h"
#include "harness/gui_pump.h"
#include "harness/modal_driver.h"
#include "harness/monitor_fixture.h"

namespace nuvaro::testing {
namespace {

using Lines = std::vector<std::string>;

const char* kShop =
    "<html><head><meta charset=utf-8></head><body>"
    "<p style=\"display:none\">价格：1</p>"
    "<div id=dear class=item>旗舰<p>价格<em>：</em><b class=price>￥1,299</b>起</p></div>"
    "<div id=cheap class=item>入门<p>价格<em>：</em><b class=price>￥899</b></p></div>"
    "<p>更新于 <span id=clock></span></p>"
    "<script>clock.textContent = new Date().toISOString();</script>"
    "</body></html>";

class ConditionsBrowserTest : public MonitorTest {
  protected:
    // Window 1 on the shop page with the condition, monitoring.
    TConfig& Prepare(const std::string& regx, const std::string& group = "") {
        server.SetPage("/shop", kShop);
        StartFrame();
        PrepareWindow(1, "商品", "/shop", regx, group);
        if (!regx.empty()) {
            frame->Window(1)->RefreshEdit()->SetValue("1");
            Click(frame->Window(1)->StartStopButton());
            EXPECT_TRUE(frame->IsMonitoring(1));
        }
        return frame->Configs()[2];
    }
};

// The reader's text: the split price is whole, the hidden one is left out.
TEST_F(ConditionsBrowserTest, TextModeReadsSplitTextWholeAndLeavesHiddenTextOut) {
    TConfig& slot = Prepare("价格：([^<\\s]+)", "1");
    Tick(1);  // the markup: the hidden paragraph is all the expression finds
    slot.TextMode = "text";
    slot.SaveAndReload();
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][1]监控点信息发生变化，发出提醒[商品]",
                                    "[2][￥1,299起]监控点信息发生变化，发出提醒[商品]"}));
}

// Only the selected element is read: the first price of the page is not the one watched.
TEST_F(ConditionsBrowserTest, ASelectorReadsOnlyItsElementsAndTheRuleJudgesTheNumber) {
    TConfig& slot = Prepare("￥[0-9,]+");
    slot.Selector = "#cheap .price";
    slot.NumRule = "below";
    slot.NumValue = "1000";
    slot.SaveAndReload();
    Tick(1);
    Tick(1);
    slot.Selector = ".price";
    slot.TextMode = "text";
    slot.Regx = "(?s).+";
    slot.NumRule = "";
    slot.SaveAndReload();
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][￥899]监控点信息发生变化，发出提醒[商品]",
                                    "[2][￥899]数值未达到提醒条件，跳过[商品]",
                                    "[2][￥1,299\\n￥899]监控点信息发生变化，发出提醒[商品]"}));
}

TEST_F(ConditionsBrowserTest, AnIgnoredClockIsNoChange) {
    TConfig& slot = Prepare("入门.*更新于[^<]*<span id=\"clock\">[^<]*");
    slot.Ignore = "\\d{4}-\\d\\d-\\d\\dT[0-9:.]+Z";
    slot.SaveAndReload();
    Tick(1);
    Tick(1);
    const Lines lines = InformLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("监控点信息发生变化，发出提醒"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("发现重复提醒信息，跳过"), std::string::npos) << lines[1];
}

// A page's scripts that replace what a read would call are not seen by the read: the markup, the
// visible text and the selected element read as the document stands.
TEST_F(ConditionsBrowserTest, ThePagesOwnScriptsCannotChangeWhatIsRead) {
    TConfig& slot = Prepare("价格：([^<\\s]+)", "1");
    std::string hostile = kShop;
    hostile.insert(hostile.find("</body>"),
                   "<script>"
                   "function fake(){return '<p>价格：0</p>';}"
                   "['innerHTML','outerHTML','innerText'].forEach(function(n){"
                   "Object.defineProperty(HTMLElement.prototype,n,{get:fake});"
                   "Object.defineProperty(Element.prototype,n,{get:fake});});"
                   "document.querySelectorAll=function(){return [];};"
                   "String.prototype.replace=function(){throw new Error('gone');};"
                   "</script>");
    server.SetPage("/shop", hostile);
    Tick(1);
    slot.TextMode = "text";
    slot.SaveAndReload();
    Tick(1);
    slot.Selector = "#cheap .price";
    slot.Regx = "￥[0-9,]+";
    slot.RegGrp = "";
    slot.SaveAndReload();
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][1]监控点信息发生变化，发出提醒[商品]",
                                    "[2][￥1,299起]监控点信息发生变化，发出提醒[商品]",
                                    "[2][￥899]监控点信息发生变化，发出提醒[商品]"}));
}

TEST_F(ConditionsBrowserTest, ASelectorThatSelectsNothingIsLoggedNotSent) {
    TConfig& slot = Prepare("￥");
    slot.Selector = ".sold-out";
    slot.SaveAndReload();
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][]找不到元素[商品]"}));
    EXPECT_EQ(frame->Engine().Status(1).last, WindowStatus::Last::NoElement);
}

// "试一试" reads the page as it stands and sends nothing; a selector the engine refuses is not
// saved. With NUVARO_DIALOG_SHOT set, the screen is kept there after the trial.
TEST_F(ConditionsBrowserTest, TheDialogTriesTheConditionAndRefusesABadSelector) {
    TConfig& slot = Prepare("");
    ModalDriver driver([&](wxDialog& dialog) {
        auto& d = dynamic_cast<TRegFrm&>(dialog);
        d.Memo()->SetValue(wxString::FromUTF8("价格：\\S+"));
        d.RuleChoice()->SetSelection(1);
        d.ValueEdit()->SetValue("1500");
        d.ReadChoice()->SetSelection(1);
        d.SelectorEdit()->SetValue("#dear");
        d.IgnoreEdit()->SetValue(wxString::FromUTF8("更新于.*"));
        Click(d.TryButton());
        ASSERT_TRUE(PumpUntil([&] { return !d.Reading(); }));
        const std::string shown = d.TrialText()->GetValue().utf8_string();
        EXPECT_NE(shown.find("找到的内容：价格：￥1,299起"), std::string::npos) << shown;
        EXPECT_NE(shown.find("数值：1,299"), std::string::npos) << shown;
        EXPECT_NE(shown.find("结论：会发出提醒"), std::string::npos) << shown;
        if (const char* shot = std::getenv("NUVARO_DIALOG_SHOT")) {
            PumpUntil([] { return false; }, 500);
            wxExecute(wxString::Format("import -window root %s", shot), wxEXEC_SYNC);
        }
        d.SelectorEdit()->SetValue("#dear[");
        Click(d.OkButton());
        ASSERT_TRUE(PumpUntil([&] { return !d.Reading(); }));
        EXPECT_NE(LastText().find("“元素”有错误，没有保存："), std::string::npos) << LastText();
        d.Close();
    });
    Click(frame->Window(1)->ConditionButton());
    EXPECT_TRUE(driver.Ran());
    EXPECT_EQ(slot.Selector, "");
    EXPECT_TRUE(InformLines().empty());
}

}  // namespace
}  // namespace nuvaro::testing
