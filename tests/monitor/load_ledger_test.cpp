// Every load ends exactly once, whatever order and repetition the engine reports in.
#include "monitor/load_ledger.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace nuvaro::testing {
namespace {

LoadOutcome Reopened() {
    LoadOutcome o;
    o.reopened = true;
    return o;
}

LoadOutcome RanAway() {
    LoadOutcome o;
    o.failed = o.ranAway = true;
    return o;
}

// Events as the engine sends them: S start, C commit, F finish, H finish with an HTTP error,
// X fail, P cut short by a newer load, R process ended (the page opens again), W process ended
// (the page ran away), A a reload asked that takes the load under way over.
void Play(LoadLedger& ledger, const std::string& events) {
    for (char e : events) {
        switch (e) {
            case 'S':
                ledger.Start();
                break;
            case 'C':
                ledger.Commit();
                break;
            case 'F':
                ledger.Finish();
                break;
            case 'H':
                ledger.Finish("HTTP 500");
                break;
            case 'X':
                ledger.Fail("Could not connect");
                break;
            case 'P':
                ledger.Supersede();
                break;
            case 'R':
                ledger.Cut(Reopened());
                break;
            case 'W':
                ledger.Cut(RanAway());
                break;
            case 'A':
                ledger.Adopt();
                break;
        }
    }
}

// How each load ended: o ok, f failed, s superseded, r reopened, w ran away, . running.
std::string Summary(const LoadLedger& ledger) {
    std::string out;
    for (uint64_t k = 1; k <= ledger.Started(); ++k) {
        LoadOutcome o = ledger.Outcome(k);
        out += !o.finished    ? '.'
               : o.ranAway    ? 'w'
               : o.reopened   ? 'r'
               : o.superseded ? 's'
               : o.failed     ? 'f'
                              : 'o';
    }
    return out;
}

struct LedgerCase {
    const char* name;
    const char* events;
    const char* summary;
};

class LedgerSequences : public ::testing::TestWithParam<LedgerCase> {};

TEST_P(LedgerSequences, EndEveryLoadExactlyOnce) {
    LoadLedger ledger;
    std::map<uint64_t, int> ends;
    ledger.onEnded = [&](uint64_t load) { ++ends[load]; };
    Play(ledger, GetParam().events);
    const std::string summary = Summary(ledger);
    EXPECT_EQ(summary, GetParam().summary);
    for (uint64_t k = 1; k <= ledger.Started(); ++k) {
        EXPECT_EQ(ends[k], summary[k - 1] == '.' ? 0 : 1) << "load " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LedgerSequences,
    ::testing::Values(LedgerCase{"Loaded", "SCF", "o"},
                      LedgerCase{"HttpErrorCountsAsFailed", "SCH", "f"},
                      LedgerCase{"FailureThenTheEnginesFinish", "SXF", "f"},
                      LedgerCase{"FailureThenItsErrorPage", "SXFSCF", "fo"},
                      LedgerCase{"CutShortByANewerLoad", "SPFSCF", "so"},
                      LedgerCase{"StartedAnewWithoutAnEnd", "SCSCF", "so"},
                      LedgerCase{"ReloadTakesOverALoadWithoutItsDocument", "SACF", "so"},
                      LedgerCase{"ReloadTakesNothingOverOnceIdle", "SCFA", "o"},
                      LedgerCase{"ProcessEndedUnderALoad", "SCRSCF", "ro"},
                      LedgerCase{"ProcessEndedWhenIdle", "SCFR", "o"},
                      LedgerCase{"PageRanAway", "SCWF", "w"},
                      LedgerCase{"StillRunning", "SCFS", "o."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadLedger, KnowsWhetherTheNewestLoadHasItsDocument) {
    LoadLedger ledger;
    EXPECT_FALSE(ledger.Running());
    ledger.Start();
    EXPECT_TRUE(ledger.Provisional());
    ledger.Commit();
    EXPECT_FALSE(ledger.Provisional());
    EXPECT_TRUE(ledger.Running());
    ledger.Adopt();  // a load taken over keeps its document
    EXPECT_EQ(ledger.Started(), 2u);
    EXPECT_FALSE(ledger.Provisional());
    ledger.Finish();
    EXPECT_FALSE(ledger.Running());
    EXPECT_TRUE(ledger.Outcome(2).committed);
    ledger.Start();
    ledger.Fail("no answer");
    EXPECT_FALSE(ledger.Outcome(3).committed);
    EXPECT_TRUE(ledger.Outcome(40).finished == false);  // not started yet
}

TEST(LoadLedger, RemembersTheLastLoadsAndCountsOlderOnesEnded) {
    LoadLedger ledger;
    for (int i = 0; i < 40; ++i) Play(ledger, "SX");
    EXPECT_TRUE(ledger.Outcome(40).failed);
    EXPECT_TRUE(ledger.Outcome(1).finished);
    EXPECT_FALSE(ledger.Outcome(1).failed);  // forgotten
}

}  // namespace
}  // namespace nuvaro::testing
