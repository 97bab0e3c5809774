#include "monitor/run_state.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "core/gbk.h"
#include "core/sha256.h"
#include "monitor/matcher.h"
#include "support/temp_dir.h"

namespace nuvaro::testing {
namespace {

GbkText B(std::string bytes) { return GbkText::FromBytes(std::move(bytes)); }

// A page text far past the kept bytes, Chinese so that the cut falls inside a character.
std::string Huge(char last = 'x') {
    std::string text = "a";
    for (int i = 0; i < 200000; ++i) text += G("价");
    return text + last;
}

struct SameCase {
    const char* name;
    std::string saved, found;
    bool same;
};

class SavedMatchSameAs : public ::testing::TestWithParam<SameCase> {};

TEST_P(SavedMatchSameAs, ComparesWholeTextsByBytesAndCutOnesByLengthAndDigest) {
    const SameCase& c = GetParam();
    EXPECT_EQ(SavedMatch::Of(B(c.saved)).SameAs(B(c.found)), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SavedMatchSameAs,
    ::testing::Values(SameCase{"ShortSame", "128", "128", true},
                      SameCase{"ShortOther", "128", "129", false},
                      SameCase{"ShortBlankDiffers", "128", "128 ", false},
                      SameCase{"HugeSame", Huge(), Huge(), true},
                      SameCase{"HugeOtherAtTheEnd", Huge('x'), Huge('y'), false},
                      SameCase{"HugeLonger", Huge(), Huge() + "x", false},
                      SameCase{"HugeAgainstItsBeginning", Huge(),
                               Huge().substr(0, SavedMatch::kKeptBytes), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SavedMatch, ALongTextKeepsItsBeginningCutAtACharacterWithItsLengthAndDigest) {
    const std::string huge = Huge();
    SavedMatch saved = SavedMatch::Of(B(huge));
    EXPECT_FALSE(saved.Whole());
    EXPECT_EQ(saved.size, huge.size());
    EXPECT_EQ(saved.digest, Sha256Hex(huge));
    EXPECT_EQ(saved.text.size(), SavedMatch::kKeptBytes - 1);  // "a" then whole characters
    EXPECT_EQ(huge.compare(0, saved.text.size(), saved.text.bytes()), 0);
    EXPECT_TRUE(SavedMatch::Of(B(std::string(SavedMatch::kKeptBytes, 'a'))).Whole());
}

class RunStateTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir.File(RunState::kFileName); }
    std::unique_ptr<RunState> Reopened() const { return std::make_unique<RunState>(Path()); }
    TempExeDir dir;
};

TEST_F(RunStateTest, AFirstStartResumesAndNothingMonitors) {
    RunState state(Path());
    EXPECT_TRUE(state.ResumeOnStart());
    for (int slot = 1; slot <= 30; ++slot) {
        EXPECT_FALSE(state.WasMonitoring(slot));
        EXPECT_EQ(state.LastMatch(slot).size, 0u);
    }
    EXPECT_FALSE(dir.Exists(RunState::kFileName));  // nothing written until something changes
}

TEST_F(RunStateTest, EveryChangeIsOnDiskAtOnceAsGbkWithCrLfBesideConfig) {
    RunState state(Path());
    state.SetMonitoring(1, true);
    state.SetMonitoring(30, true);
    state.SetLastMatch(3, GT(" 价格：128\r\n元 "));
    state.SetResumeOnStart(false);
    auto again = Reopened();
    EXPECT_FALSE(again->ResumeOnStart());
    EXPECT_TRUE(again->WasMonitoring(1));
    EXPECT_TRUE(again->WasMonitoring(30));
    EXPECT_FALSE(again->WasMonitoring(3));
    EXPECT_EQ(again->LastMatch(3).text, GT(" 价格：128\r\n元 "));
    EXPECT_TRUE(again->LastMatch(3).Whole());
    const std::string file = dir.Read(RunState::kFileName);
    EXPECT_NE(file.find("[Start]\r\nResume=0\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find(G("价格")), std::string::npos);
    EXPECT_FALSE(dir.Exists("Config.inf"));
#ifndef _WIN32  // Windows has no modes: its owner-only rights are tested in platform/win32
    struct stat st {};
    ASSERT_EQ(stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
#endif
}

TEST_F(RunStateTest, AFoundTextEndingInsideATwoByteCharacterIsKeptAndComparedByteForByte) {
    // "." matches one byte: the found text ends with the lead byte of 价 alone.
    const GbkText found = MatchKeyword(GT("a价格"), GT("a."), 0, "3", "w");
    ASSERT_EQ(found.bytes(), "a\xBC");
    RunState state(Path());
    state.SetLastMatch(3, found);
    auto again = Reopened();
    EXPECT_EQ(again->LastMatch(3).text, found);
    EXPECT_EQ(again->LastMatch(3).size, 2u);
    EXPECT_EQ(JudgeWithSaved(found, again->LastMatch(3).text, again->LastMatch(3)),
              Verdict::Repeat);
    const GbkText other = MatchKeyword(GT("a乙"), GT("a."), 0, "3", "w");
    EXPECT_NE(other, found);
    EXPECT_EQ(JudgeWithSaved(other, again->LastMatch(3).text, again->LastMatch(3)),
              Verdict::Change);
    const std::string log = dir.Read("Log/log.txt");
    EXPECT_NE(log.find("=3=w=a\\xBC==a."), std::string::npos) << log;
}

TEST_F(RunStateTest, StopsClearsAndForgettingAreKeptToo) {
    {
        RunState state(Path());
        state.SetMonitoring(2, true);
        state.SetMonitoring(4, true);
        state.SetLastMatch(2, B("a"));
        state.SetLastMatch(4, B("b"));
        state.SetMonitoring(2, false);
        state.ClearLastMatch(4);
    }
    auto again = Reopened();
    EXPECT_FALSE(again->WasMonitoring(2));
    EXPECT_TRUE(again->WasMonitoring(4));
    EXPECT_EQ(again->LastMatch(2).text, B("a"));
    EXPECT_EQ(again->LastMatch(4).size, 0u);
    again->ForgetMonitoring();
    EXPECT_FALSE(Reopened()->WasMonitoring(4));
}

// Thirty windows whose pages find megabytes keep a file of a few kilobytes each.
TEST_F(RunStateTest, HugeTextsAreKeptAsTheirBeginningAndDigestAndStillCompare) {
    const std::string huge = Huge();
    {
        RunState state(Path());
        for (int slot = 1; slot <= 30; ++slot) state.SetLastMatch(slot, B(huge));
    }
    EXPECT_LT(dir.Read(RunState::kFileName).size(), 30u * (SavedMatch::kKeptBytes + 200));
    auto again = Reopened();
    const SavedMatch& saved = again->LastMatch(7);
    EXPECT_FALSE(saved.Whole());
    EXPECT_TRUE(saved.SameAs(B(huge)));
    EXPECT_FALSE(saved.SameAs(B(Huge('y'))));
}

TEST_F(RunStateTest, AHoldWritesItsChangesOnceAtItsEnd) {
    RunState state(Path());
    {
        RunState::Hold hold(state);
        for (int slot = 1; slot <= 30; ++slot) state.SetMonitoring(slot, true);
        EXPECT_FALSE(dir.Exists(RunState::kFileName));
    }
    EXPECT_TRUE(Reopened()->WasMonitoring(30));
}

TEST_F(RunStateTest, ARefusedWriteIsLoggedOnceAndTheChoiceOfResumeIsRaised) {
    dir.Write(RunState::kFileName, "[Start]\r\nResume=1\r\n");
    chmod(Path().c_str(), 0400);
    RunState state(Path());
    state.SetMonitoring(1, true);
    state.SetLastMatch(1, B("x"));
    EXPECT_TRUE(state.WasMonitoring(1));  // kept in memory all the same
    const std::string errors = ToUtf8(GbkText::FromBytes(dir.Read("Log/errorlog.txt")));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("[0][]Unable to write to " + Path()), std::string::npos) << errors;
    EXPECT_THROW(state.SetResumeOnStart(false), FileWriteError);
    EXPECT_TRUE(state.ResumeOnStart());
}

struct VerdictCase {
    const char* name;
    std::string lastMatch;  // in memory
    std::string saved;      // on disk
    std::string found;
    Verdict verdict;
};

class VerdictWithSaved : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictWithSaved, UsesTheDigestOnlyWhereMemoryHoldsTheSavedBeginning) {
    const VerdictCase& c = GetParam();
    EXPECT_EQ(JudgeWithSaved(B(c.found), B(c.lastMatch), SavedMatch::Of(B(c.saved))), c.verdict);
}

const std::string kHuge = Huge();
const std::string kHugeStart = SavedMatch::Of(B(kHuge)).text.bytes();

INSTANTIATE_TEST_SUITE_P(
    Cases, VerdictWithSaved,
    ::testing::Values(
        VerdictCase{"NothingFound", kHugeStart, kHuge, "", Verdict::NothingFound},
        VerdictCase{"ShortRepeat", "128", "128", "128", Verdict::Repeat},
        VerdictCase{"ShortChange", "128", "128", "129", Verdict::Change},
        VerdictCase{"HugeRepeatAfterRestart", kHugeStart, kHuge, kHuge, Verdict::Repeat},
        VerdictCase{"HugeChangeAfterRestart", kHugeStart, kHuge, Huge('y'), Verdict::Change},
        VerdictCase{"TheBeginningItselfIsAChange", kHugeStart, kHuge, kHugeStart, Verdict::Change},
        VerdictCase{"ForgottenInMemory", "", kHuge, kHuge, Verdict::Change},
        VerdictCase{"WholeTextInMemory", kHuge, kHuge, kHuge, Verdict::Repeat}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nuvaro::testing
