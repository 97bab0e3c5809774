// Which windows share a web process, the turns in which their pages are made, and how a process
// that hangs is split up until the runaway page is found, on a clock that moves only when told.
#include "monitor/process_group_policy.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/fake_clock.h"

namespace nuvaro::testing {
namespace {

using namespace std::chrono_literals;
using Policy = ProcessGroupPolicy;

// What the policy had done, in order, as short lines.
using Journal = std::vector<std::string>;

class FakePage : public GroupedPage {
  public:
    FakePage(std::string name, Journal& journal) : name(std::move(name)), m_journal(&journal) {}
    void EndingProcess(bool ranAway, bool alone) override {
        m_journal->push_back(name + (ranAway ? " ran away" : alone ? " goes alone" : " goes back"));
    }
    bool Busy() const override { return busy; }
    bool HasProcess() const override { return hasProcess; }
    void Tend() override { ++tended; }

    std::string name;
    bool busy = false;
    bool hasProcess = true;
    int tended = 0;

  private:
    Journal* m_journal;
};

// Records what it is told to do, and keeps the questions for the test to answer.
class FakeEngine : public ProcessGroupEngine {
  public:
    struct Question {
        int group;
        GroupedPage* page;
    };

    explicit FakeEngine(Journal& journal) : m_journal(&journal) {}
    void AskGroup(int group, bool relaunch) override {
        Add("ask group " + std::to_string(group) + (relaunch ? " relaunched" : ""));
        asked.push_back({group, nullptr});
    }
    void AskPage(int group, GroupedPage& page) override {
        Add("ask " + static_cast<FakePage&>(page).name);
        asked.push_back({group, &page});
    }
    void EndGroupProcess(int group) override { Add("end group " + std::to_string(group)); }
    void EndPageProcess(GroupedPage& page) override {
        Add("end " + static_cast<FakePage&>(page).name);
    }
    void DropGroup(int group) override { Add("drop group " + std::to_string(group)); }

    std::vector<Question> asked;

  private:
    void Add(std::string line) { m_journal->push_back(std::move(line)); }
    Journal* m_journal;
};

class ProcessGroupPolicyTest : public ::testing::Test {
  protected:
    // Pages 0..n-1 for windows 0..n-1, made and started, their group answering.
    void Open(int n) {
        for (int w = 0; w < n; ++w) {
            auto page = std::make_unique<FakePage>(std::string(1, char('A' + w)), journal);
            FakePage* p = page.get();
            pages.push_back(std::move(page));
            policy.WhenReady(w, [this, p, w] { policy.Join(*p, w); });
            AnswerGroups();
            policy.Started(*p);
        }
        journal.clear();
        engine.asked.clear();
    }
    void AnswerGroups() {
        for (int g = 0; g <= 6; ++g) policy.Answered(g, nullptr, true);
    }
    // Seconds pass, checked every second as the engine's layer does; the questions asked are
    // answered at once, but for those to the processes named in `silent`.
    void Pass(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1s);
            policy.Check();
            auto asked = std::move(engine.asked);
            engine.asked.clear();
            for (auto& q : asked) {
                std::string name = q.page ? static_cast<FakePage*>(q.page)->name
                                          : "group " + std::to_string(q.group);
                if (!silent.count(name)) policy.Answered(q.group, q.page, true);
            }
        }
    }
    // Lines of the journal with `what` in them, taken out of it.
    Journal Take(const std::string& what) {
        Journal found, rest;
        for (auto& line : journal)
            (line.find(what) != std::string::npos ? found : rest).push_back(line);
        journal = rest;
        return found;
    }
    FakePage& Page(char name) { return *pages[name - 'A']; }

    Journal journal;
    std::set<std::string> silent;
    FakeClock clock;
    FakeEngine engine{journal};
    double crowding = 1;  // runnable tasks per processor
    Policy policy{engine, clock, [this] { return crowding; }};
    std::vector<std::unique_ptr<FakePage>> pages;
};

TEST_F(ProcessGroupPolicyTest, WindowsShareAProcessInGroupsOfFive) {
    EXPECT_EQ(Policy::GroupOfWindow(0), 0);  // the default page and the first four added
    EXPECT_EQ(Policy::GroupOfWindow(4), 0);
    EXPECT_EQ(Policy::GroupOfWindow(5), 1);
    EXPECT_EQ(Policy::GroupOfWindow(9), 1);
    EXPECT_EQ(Policy::GroupOfWindow(10), 2);
    EXPECT_EQ(Policy::GroupOfWindow(-1), 0);
    Open(7);
    EXPECT_EQ(policy.Views(), 7);
    EXPECT_TRUE(policy.Ready(0));
    EXPECT_TRUE(policy.Ready(1));
    EXPECT_FALSE(policy.Ready(2));
    for (auto& page : pages) EXPECT_FALSE(policy.Alone(*page));
}

TEST_F(ProcessGroupPolicyTest, PagesAreMadeOnceTheGroupAnswersOneAtATime) {
    std::vector<int> made;
    for (int w = 0; w < 3; ++w) policy.WhenReady(w, [&made, w] { made.push_back(w); });
    EXPECT_EQ(journal, Journal{"ask group 0"});  // asked once, not per page
    EXPECT_TRUE(made.empty());
    policy.Answered(0, nullptr, true);
    EXPECT_EQ(made, std::vector<int>{0});
    FakePage first("A", journal);
    policy.Join(first, 0);
    policy.Started(first);  // its first load started: the next one's turn
    EXPECT_EQ(made, (std::vector<int>{0, 1}));
    Pass(2);
    EXPECT_EQ(made, (std::vector<int>{0, 1}));
    Pass(1);  // a first load that never starts holds the turn no longer
    EXPECT_EQ(made, (std::vector<int>{0, 1, 2}));
}

TEST_F(ProcessGroupPolicyTest, AProcessThatNeverAnswersLetsItsPagesGoOnAfterAWhile) {
    silent = {"group 0"};
    bool made = false;
    policy.WhenReady(0, [&] { made = true; });
    Pass(20);
    EXPECT_FALSE(made);
    Pass(1);
    EXPECT_TRUE(made);
    EXPECT_FALSE(policy.Ready(0));  // taken to answer, without answering
}

TEST_F(ProcessGroupPolicyTest, AnEngineSayingUnresponsiveForThreeSecondsSplitsTheGroup) {
    Open(7);
    policy.Responsive(Page('B'), false);
    Pass(3);
    EXPECT_TRUE(Take("goes alone").empty());
    Pass(1);
    EXPECT_EQ(Take("goes alone"), (Journal{"A goes alone", "B goes alone", "C goes alone",
                                           "D goes alone", "E goes alone"}));
    EXPECT_EQ(Take("end"), Journal{"end group 0"});
    for (char p : {'A', 'B', 'C', 'D', 'E'}) EXPECT_TRUE(policy.Alone(Page(p))) << p;
    // The other group is not touched.
    EXPECT_FALSE(policy.Alone(Page('F')));
    EXPECT_TRUE(policy.Ready(1));
}

TEST_F(ProcessGroupPolicyTest, AnEngineThatRecoversInTimeSplitsNothing) {
    Open(3);
    policy.Responsive(Page('A'), false);
    Pass(2);
    policy.Responsive(Page('A'), true);
    Pass(30);
    EXPECT_TRUE(Take("alone").empty());
    EXPECT_TRUE(Take("end").empty());
}

TEST_F(ProcessGroupPolicyTest, AQuestionToTheGroupUnansweredForFiveSecondsSplitsIt) {
    Open(2);
    silent = {"group 0"};
    Page('A').busy = true;
    Pass(3);  // busy pages: the group is asked every two seconds
    EXPECT_EQ(Take("ask"), Journal{"ask group 0"});
    Pass(5);
    EXPECT_TRUE(Take("goes alone").empty());
    Pass(1);
    EXPECT_EQ(Take("goes alone"), (Journal{"A goes alone", "B goes alone"}));
    EXPECT_EQ(Take("end"), Journal{"end group 0"});
}

// On a crowded machine a starved process answers late: it has three times as long at most, and
// the engine's word that it hangs is waited on as much longer.
TEST_F(ProcessGroupPolicyTest, ACrowdedMachineGivesProcessesLongerToAnswer) {
    Open(3);
    crowding = 2;
    silent = {"group 0"};
    Page('A').busy = true;
    Pass(3);
    EXPECT_EQ(Take("ask"), Journal{"ask group 0"});
    Pass(10);
    EXPECT_TRUE(Take("goes alone").empty()) << "taken for hung after 10 s at twice the load";
    crowding = 40;  // capped: 15 s
    Pass(5);
    EXPECT_TRUE(Take("goes alone").empty());
    Pass(1);
    EXPECT_EQ(Take("goes alone"), (Journal{"A goes alone", "B goes alone", "C goes alone"}));
}

TEST_F(ProcessGroupPolicyTest, ACrowdedMachineWaitsLongerOnTheEnginesWord) {
    Open(6);  // F is alone in the second group
    crowding = 3;
    policy.Responsive(Page('F'), false);
    Pass(8);
    EXPECT_TRUE(Take("F ran away").empty());
    Pass(2);
    EXPECT_EQ(Take("F ran away"), Journal{"F ran away"});
    crowding = std::numeric_limits<double>::quiet_NaN();  // unknown: as on an idle machine
    policy.Responsive(Page('A'), false);
    Pass(4);
    EXPECT_EQ(Take("goes alone").size(), 5u);
}

TEST_F(ProcessGroupPolicyTest, AnIdleGroupIsAskedEveryTenSeconds) {
    Open(1);
    Pass(10);
    EXPECT_TRUE(Take("ask").empty());
    Pass(1);
    EXPECT_EQ(Take("ask"), Journal{"ask group 0"});
    Pass(11);
    EXPECT_EQ(Take("ask"), Journal{"ask group 0"});
}

TEST_F(ProcessGroupPolicyTest, APageAloneInItsProcessIsTheRunawayAtOnce) {
    Open(1);
    policy.Hung(Page('A'));
    EXPECT_EQ(journal, (Journal{"A ran away", "end A"}));
    EXPECT_TRUE(policy.Alone(Page('A')));
}

// After a split each page runs alone; the one whose own process then hangs is the runaway. It
// stays alone, the others go back once idle.
TEST_F(ProcessGroupPolicyTest, TheRunawayStaysAloneAndTheOthersGoBackOnceIdle) {
    Open(3);
    silent = {"B"};
    policy.Hung(Page('B'));
    journal.clear();
    Pass(3);  // pages on trial are asked every two seconds
    EXPECT_EQ(Take("ask"), (Journal{"ask A", "ask B", "ask C"}));
    Page('C').busy = true;
    Pass(5);
    EXPECT_TRUE(Take("ran away").empty());
    Pass(1);  // B has kept its question more than five seconds
    EXPECT_EQ(Take("ran away"), Journal{"B ran away"});
    EXPECT_EQ(Take("end B"), Journal{"end B"});
    Page('B').hasProcess = false;  // ended: it waits for its next reload
    Pass(1);
    EXPECT_EQ(Take("goes back"), Journal{"A goes back"});  // C is busy: it stays for now
    EXPECT_EQ(Take("end"), Journal{"end A"});
    EXPECT_FALSE(policy.Alone(Page('A')));
    EXPECT_TRUE(policy.Alone(Page('C')));
    Page('C').busy = false;
    Pass(1);
    EXPECT_EQ(Take("goes back"), Journal{"C goes back"});
    EXPECT_TRUE(policy.Alone(Page('B')));
    EXPECT_FALSE(policy.Alone(Page('C')));
    Pass(60);
    EXPECT_TRUE(Take("goes").empty());
}

TEST_F(ProcessGroupPolicyTest, WithoutARunawayEveryPageGoesBackAfterFiveMinutes) {
    Open(2);
    policy.Hung(Page('A'));
    Pass(300);
    EXPECT_TRUE(Take("goes back").empty());
    Pass(1);
    EXPECT_EQ(Take("goes back"), (Journal{"A goes back", "B goes back"}));
    EXPECT_FALSE(policy.Alone(Page('A')));
    EXPECT_TRUE(Take("ran away").empty());
}

TEST_F(ProcessGroupPolicyTest, APageWithoutAProcessIsNotAsked) {
    Open(2);
    policy.Hung(Page('A'));
    Page('A').hasProcess = false;
    journal.clear();
    Pass(3);
    EXPECT_EQ(Take("ask"), Journal{"ask B"});
}

TEST_F(ProcessGroupPolicyTest, AnEndedGroupProcessIsStartedAnewWhenNextAsked) {
    Open(1);
    policy.GroupProcessEnded(0);
    EXPECT_FALSE(policy.Ready(0));
    bool opened = false;
    policy.WhenReady(Page('A'), [&] { opened = true; });
    EXPECT_EQ(journal, Journal{"ask group 0 relaunched"});
    EXPECT_FALSE(opened);
    policy.Answered(0, nullptr, true);
    EXPECT_TRUE(opened);
}

TEST_F(ProcessGroupPolicyTest, APageThatReturnsOpensInItsGroupAgain) {
    Open(2);
    policy.Hung(Page('A'));
    policy.Returned(Page('A'));
    EXPECT_FALSE(policy.Alone(Page('A')));
    bool opened = false;
    policy.WhenReady(Page('A'), [&] { opened = true; });
    EXPECT_FALSE(opened);  // the group's process was ended with the split
    policy.Answered(0, nullptr, true);
    EXPECT_TRUE(opened);
    // A page alone opens at once: it starts a process of its own.
    bool alone = false;
    policy.WhenReady(Page('B'), [&] { alone = true; });
    EXPECT_TRUE(alone);
}

TEST_F(ProcessGroupPolicyTest, TheLastPageOfAGroupTakesItsProcessAlong) {
    Open(7);
    for (char p : {'A', 'B', 'C', 'D'}) policy.Forget(Page(p));
    EXPECT_TRUE(journal.empty());
    policy.Forget(Page('E'));
    EXPECT_EQ(journal, Journal{"drop group 0"});
    EXPECT_EQ(policy.Views(), 2);
    EXPECT_FALSE(policy.Ready(0));
    // An answer for a group that is gone, or from a page forgotten, changes nothing.
    policy.Answered(0, nullptr, true);
    policy.Answered(1, &Page('A'), true);
    EXPECT_FALSE(policy.Ready(0));
    Pass(1);
    EXPECT_EQ(Page('F').tended, 1);
}

}  // namespace
}  // namespace nuvaro::testing
