// The cycle with conditions about values, ignored parts and selectors: what is sent, what is
// only logged, and what a restart keeps.
#include "core/condition_texts.h"
#include "monitor/condition_trial.h"
#include "monitor/engine_fixture.h"
#include "monitor/run_state.h"

namespace nuvaro::testing {
namespace {

class EngineConditions : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        state = std::make_unique<RunState>(dir.File(RunState::kFileName));
        engine->SetRunState(state.get());
    }
    void Restart() {
        engine.reset();
        for (auto& w : windows) w.reset();
        state.reset();
        EngineTest::SetUp();
        state = std::make_unique<RunState>(dir.File(RunState::kFileName));
        engine->SetRunState(state.get());
    }
    // Window 1 monitoring a price with `rule` (slot 2).
    FakeWindow& Price(const char* rule, const char* value) {
        TConfig& slot = (*configs)[2];
        slot.NumRule = rule;
        slot.NumValue = value;
        return Monitor(1, "价格：[^<]*", Page("300"));
    }
    void Show(int n, const std::string& price) { windows[n]->page.body = G(Page(price)); }
    static std::string Page(const std::string& price) { return "<p>价格：￥" + price + "</p>"; }
    std::unique_ptr<RunState> state;
};

// The example, with a restart of the program in the middle of it.
TEST_F(EngineConditions, BelowTellsEntryFurtherInAndReentryAcrossARestart) {
    Price("below", "150");
    std::vector<std::string> prices = {"300", "280", "140", "145"};
    for (const auto& p : prices) {
        Show(1, p);
        Tick(1);
    }
    Restart();
    (*configs)[2].NumRule = "below";
    (*configs)[2].NumValue = "150";
    (*configs)[2].Regx = "价格：[^<]*";
    Monitor(1, "价格：[^<]*");
    for (const char* p : {"100", "170", "149"}) {
        Show(1, p);
        Tick(1);
    }
    EXPECT_EQ(dispatched,
              (std::vector<std::string>{"2:价格：￥140", "2:价格：￥100", "2:价格：￥149"}));
    EXPECT_EQ(values, (std::vector<std::string>{"140", "100", "149"}));
    EXPECT_EQ(previousTexts.back(), "价格：￥100");
    const Lines lines = InformLines();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "[2][价格：￥170]数值未达到提醒条件，跳过[窗口1]"),
        lines.end());
}

TEST_F(EngineConditions, NoNumberAndNoElementAreLoggedNotSentAndCountAsFailing) {
    Price("drop", "10%");
    Show(1, "待定");
    Tick(1);
    EXPECT_EQ(engine->Status(1).last, WindowStatus::Last::NoNumber);
    (*configs)[2].Selector = ".price";
    windows[1]->page.noElements = true;
    Tick(1);
    EXPECT_EQ(windows[1]->page.lastQuery.selector, ".price");
    EXPECT_EQ(engine->Status(1).last, WindowStatus::Last::NoElement);
    EXPECT_EQ(engine->Status(1).failuresInRow, 2);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(InformLines(),
              (Lines{"[2][价格：￥待定]找不到数字[窗口1]", "[2][]找不到元素[窗口1]"}));
    EXPECT_TRUE(notices.shown.empty());
}

TEST_F(EngineConditions, IgnoredPartsAreRemovedBeforeMatching) {
    (*configs)[2].Ignore = "\\d\\d:\\d\\d:\\d\\d";
    FakeWindow& w = Monitor(1, "<p>.*</p>", "<p>库存 3 件 12:00:01</p>");
    Tick(1);
    w.page.body = G("<p>库存 3 件 12:00:02</p>");
    Tick(1);
    EXPECT_EQ(dispatched, (std::vector<std::string>{"2:<p>库存 3 件 </p>"}));
}

TEST_F(EngineConditions, SavingTheConditionAgainForgetsWhatTheRuleRemembered) {
    Price("below", "150");
    Show(1, "100");
    Tick(1);
    Tick(1);
    EXPECT_EQ(dispatched.size(), 1u);
    engine->ForgetLastMatch(1);
    EXPECT_EQ(RunState(dir.File(RunState::kFileName)).RuleState(2), NumRuleState{});
    Tick(1);
    EXPECT_EQ(dispatched.size(), 2u);
}

TEST(ConditionTrial, ReportsReadFoundNumberAndVerdictWithoutRemembering) {
    PageContent page;
    page.ok = page.hasBody = true;
    page.body = GT("价格：￥1,299.00 更新于 12:00");
    ConditionFields fields{"价格：\\S+", "", "below", "1500", "text", "", "更新于.*"};
    const Trial trial = TryCondition(fields, page);
    EXPECT_EQ(trial.verdict, Verdict::Change);
    EXPECT_EQ(ToUtf8(trial.read), "价格：￥1,299.00 ");
    ASSERT_TRUE(trial.number);
    EXPECT_EQ(trial.number->written, "1,299.00");
    const std::string report = TrialReport(trial);
    EXPECT_NE(report.find("数值：1,299.00"), std::string::npos) << report;
    EXPECT_NE(report.find("会发出提醒"), std::string::npos) << report;
    fields.NumRule = "drop";
    EXPECT_TRUE(TryCondition(fields, page).startingPoint);
    fields.NumValue = "x";
    auto problem = CheckFields(fields);
    ASSERT_TRUE(problem);
    EXPECT_STREQ(problem->label, "数值");
    fields.NumValue = "5";
    fields.Ignore = "(";
    ASSERT_TRUE(CheckFields(fields));
    EXPECT_STREQ(CheckFields(fields)->label, "忽略");
}

}  // namespace
}  // namespace nuvaro::testing
