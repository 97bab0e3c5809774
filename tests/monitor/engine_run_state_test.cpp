// The engine with its saved run state: a restart keeps the baseline of every window, so old
// news is not sent again and new news is.
#include "core/texts.h"
#include "monitor/engine_fixture.h"
#include "monitor/run_state.h"

namespace nuvaro::testing {
namespace {

const char* kPrice = "<p>[^<]*</p>";

std::string Page(const std::string& paragraph) { return "<html><p>" + paragraph + "</p></html>"; }

// A paragraph of about 300 KB: its found text is kept as its beginning and digest.
std::string HugeParagraph(const std::string& end) {
    std::string text;
    for (int i = 0; i < 50000; ++i) text += "价格六";
    return text + end;
}

class EngineRunState : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        state = std::make_unique<RunState>(dir.File(RunState::kFileName));
        engine->SetRunState(state.get());
    }
    // The program ends (exit, crash or kill: nothing is written at the end) and starts again.
    void Restart() {
        engine.reset();
        for (auto& w : windows) w.reset();
        state.reset();
        dispatched.clear();
        EngineTest::SetUp();
        state = std::make_unique<RunState>(dir.File(RunState::kFileName));
        engine->SetRunState(state.get());
    }
    std::unique_ptr<RunState> state;
};

struct RestartCase {
    const char* name;
    std::string before, after;
    bool notified;
};

class BaselineAfterRestart : public EngineRunState,
                             public ::testing::WithParamInterface<RestartCase> {};

TEST_P(BaselineAfterRestart, TheFirstTickComparesWithTheSavedText) {
    const RestartCase& c = GetParam();
    Monitor(2, kPrice, Page(c.before));
    Tick(2);
    ASSERT_EQ(dispatched.size(), 1u);
    Restart();
    Monitor(2, kPrice, Page(c.after));
    Tick(2);
    EXPECT_EQ(dispatched.size(), c.notified ? 1u : 0u);
    ASSERT_EQ(InformLines().size(), 2u);
    const std::string verdict = c.notified ? text::kLogChange : text::kLogRepeat;
    EXPECT_NE(InformLines().back().find("]" + verdict + "["), std::string::npos);
    Tick(2);  // and from then on as always
    EXPECT_EQ(dispatched.size(), c.notified ? 1u : 0u);
    EXPECT_EQ(InformLines().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Cases, BaselineAfterRestart,
                         ::testing::Values(RestartCase{"ShortRepeat", "价格128", "价格128", false},
                                           RestartCase{"ShortChange", "价格128", "价格129", true},
                                           RestartCase{"BlanksCount", " 价格128 ", "价格128", true},
                                           RestartCase{"HugeRepeat", HugeParagraph("1"),
                                                       HugeParagraph("1"), false},
                                           RestartCase{"HugeChangeAtTheEnd", HugeParagraph("1"),
                                                       HugeParagraph("2"), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineRunState, AManualTestThatFindsNothingClearsTheSavedText) {
    FakeWindow& w = Monitor(2, kPrice, Page("价格128"));
    Tick(2);
    w.page.body = G("<html>缺货</html>");
    Test(2);
    EXPECT_EQ(state->LastMatch(3).size, 0u);
    Restart();
    Monitor(2, kPrice, Page("价格128"));
    Tick(2);
    EXPECT_EQ(dispatched, (Lines{"3:<p>价格128</p>"}));
}

// What the condition dialog calls once it has saved a new condition.
TEST_F(EngineRunState, ANewConditionForgetsTheSavedText) {
    Monitor(1, kPrice, Page("价格128"));
    Tick(1);
    engine->ForgetLastMatch(1);
    EXPECT_EQ((*configs)[2].LastMatch.bytes(), "");
    Restart();
    Monitor(1, kPrice, Page("价格128"));
    Tick(1);
    EXPECT_EQ(dispatched, (Lines{"2:<p>价格128</p>"}));
}

TEST_F(EngineRunState, StartsAndStopsAreSavedAsTheyHappen) {
    Open(0, "x");
    Open(4, "x");
    engine->StartStop(0);
    EXPECT_TRUE(engine->Start(4).started);
    EXPECT_TRUE(RunState(dir.File(RunState::kFileName)).WasMonitoring(1));
    EXPECT_TRUE(RunState(dir.File(RunState::kFileName)).WasMonitoring(5));
    engine->StartStop(0);
    engine->Stop(4);
    EXPECT_FALSE(RunState(dir.File(RunState::kFileName)).WasMonitoring(1));
    EXPECT_FALSE(RunState(dir.File(RunState::kFileName)).WasMonitoring(5));
}

TEST_F(EngineRunState, AWindowClosedWhileMonitoringStaysSavedAsMonitoring) {
    Monitor(3, "x");
    engine->Detach(3);  // the program ends: its windows go, their state stays
    EXPECT_TRUE(RunState(dir.File(RunState::kFileName)).WasMonitoring(4));
}

}  // namespace
}  // namespace nuvaro::testing
