#include "monitor/number_rule.h"

#include <gtest/gtest.h>

#include <vector>

#include "monitor/run_state.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

NumRule Rule(const char* kind, const char* value) {
    auto rule = ParseNumRule(kind, value);
    EXPECT_TRUE(rule) << kind << " " << value;
    return rule.value_or(NumRule{});
}

// The values of `series` that the rule tells, starting from `state`.
std::vector<double> Told(const NumRule& rule, const std::vector<double>& series,
                         NumRuleState& state) {
    std::vector<double> told;
    for (double value : series) {
        if (RuleTells(rule, state, value)) told.push_back(value);
    }
    return told;
}

std::vector<double> Told(const NumRule& rule, const std::vector<double>& series) {
    NumRuleState state;
    return Told(rule, series, state);
}

using V = std::vector<double>;

TEST(NumberRuleTest, BelowTellsEntryFurtherInAndReentry) {
    EXPECT_EQ(Told(Rule("below", "150"), {300, 280, 140, 145, 100, 170, 149}), (V{140, 100, 149}));
}

TEST(NumberRuleTest, AboveMirrorsBelow) {
    EXPECT_EQ(Told(Rule("above", "100"), {90, 120, 110, 130, 130, 80, 101}), (V{120, 130, 101}));
    EXPECT_EQ(Told(Rule("above", "-5"), {-10, -4}), (V{-4}));
}

TEST(NumberRuleTest, DropMeasuresFromTheMarkThatRisesMoveUp) {
    // 100 is the start; 95 is not yet 10 below; the rise to 120 moves the mark; 108 is 12 below.
    EXPECT_EQ(Told(Rule("drop", "10"), {100, 95, 120, 108, 100, 98}), (V{108, 98}));
}

TEST(NumberRuleTest, RiseMeasuresFromTheMarkThatDropsMoveDown) {
    EXPECT_EQ(Told(Rule("rise", "5"), {50, 54, 40, 45, 46, 51}), (V{45, 51}));
}

TEST(NumberRuleTest, PercentagesAreOfTheMarkAndTheirExactAmountCounts) {
    EXPECT_EQ(Told(Rule("drop", "10%"), {200, 181, 180, 170, 162}), (V{180, 162}));
    EXPECT_EQ(Told(Rule("rise", " 50 % "), {10, 14.9, 15, 22.5}), (V{15, 22.5}));
}

TEST(NumberRuleTest, NoRuleTellsNothing) { EXPECT_EQ(Told(Rule("", "abc"), {1, 2, 3}), V{}); }

TEST(NumberRuleTest, RefusesWhatCannotBeUsedAndSaysWhichKey) {
    struct Bad {
        const char* kind;
        const char* value;
        bool onValue;
    };
    for (const Bad& bad :
         {Bad{"under", "1", false}, Bad{"below", "", true}, Bad{"below", "abc", true},
          Bad{"below", "10%", true}, Bad{"drop", "0", true}, Bad{"rise", "-5%", true},
          Bad{"drop", "1e999", true}}) {
        NumRuleProblem problem;
        EXPECT_FALSE(ParseNumRule(bad.kind, bad.value, &problem)) << bad.kind << bad.value;
        EXPECT_EQ(problem.onValue, bad.onValue) << bad.kind << bad.value;
        EXPECT_FALSE(problem.reason.empty());
    }
}

// The state kept on disk between two runs of the program goes on where it stopped.
TEST(NumberRuleTest, ARestartInBetweenGoesOnWhereItStopped) {
    TempExeDir dir;
    const std::string file = dir.File("runstate.inf");
    const NumRule below = Rule("below", "150");
    const NumRule drop = Rule("drop", "10%");
    NumRuleState region, mark;
    EXPECT_EQ(Told(below, {300, 280, 140, 145}, region), (V{140}));
    EXPECT_EQ(Told(drop, {200, 210}, mark), V{});
    {
        RunState state(file);
        state.SetRuleState(3, region);
        state.SetRuleState(4, mark);
    }
    RunState again(file);
    NumRuleState region2 = again.RuleState(3), mark2 = again.RuleState(4);
    EXPECT_EQ(region2, region);
    EXPECT_EQ(Told(below, {100, 170, 149}, region2), (V{100, 149}));
    EXPECT_EQ(Told(drop, {190, 189}, mark2), (V{189}));
    again.SetRuleState(3, {});
    EXPECT_EQ(RunState(file).RuleState(3), NumRuleState{});
}

}  // namespace
}  // namespace nuvaro::testing
