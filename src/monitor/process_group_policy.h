#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>

#include "services/engine_clock.h"

namespace nuvaro {

// A window's page as its process group sees it.
class GroupedPage {
  public:
    virtual ~GroupedPage() = default;
    // The page's web process is about to be ended on purpose: `ranAway` when its own page hung
    // it; otherwise the page opens again, in a process of its own (`alone`) or in the group's.
    virtual void EndingProcess(bool ranAway, bool alone) = 0;
    // A load or a read of the page is under way.
    virtual bool Busy() const = 0;
    // The page has a web process (one ended on purpose may wait for the next reload).
    virtual bool HasProcess() const = 0;
    // Called at every check: a chance to ask again for a load the engine dropped.
    virtual void Tend() = 0;
};

// What the policy has the page engine do. A group is named by its number (window / 5).
class ProcessGroupEngine {
  public:
    virtual ~ProcessGroupEngine() = default;
    // Asks the group's own process a question; `relaunch`: that process ended, and must be
    // started anew first. The answer comes back through ProcessGroupPolicy::Answered.
    virtual void AskGroup(int group, bool relaunch) = 0;
    // Asks the process of a page that runs alone.
    virtual void AskPage(int group, GroupedPage& page) = 0;
    virtual void EndGroupProcess(int group) = 0;
    virtual void EndPageProcess(GroupedPage& page) = 0;
    // No page is left in the group: its process goes.
    virtual void DropGroup(int group) = 0;
};

// Windows share web processes in groups of five: the default page with the first four added
// windows, the next five, and so on. Pages of a group are opened one at a time, each once the
// one before has started its first load, and only once the group's process answers: a page
// opened while its process is still starting may never load.
//
// A process that stops answering (the engine says so for a while, or a question to it waits too
// long) is ended. When it held several pages, nobody knows which one ran away: each of them opens
// again in a process of its own, and the one that then hangs its own process is the runaway. It
// stays alone and is told; the others go back to the group's process once idle, and so does
// everyone when no runaway shows within a while.
//
// The engine's layer carries the decisions out and reports what happens; Check() runs every
// kCheckEvery.
class ProcessGroupPolicy {
  public:
    static constexpr int kWindowsPerProcess = 5;
    static constexpr std::chrono::seconds kCheckEvery{1};
    // A process is asked every so often: often while its pages load, are read or are on trial,
    // seldom while idle (a page that runs away between ticks burns a core all the same).
    static constexpr std::chrono::seconds kAskBusyEvery{2};
    static constexpr std::chrono::seconds kAskIdleEvery{10};
    // It hangs when a question waits longer, or the engine says so for longer.
    static constexpr std::chrono::seconds kAnswerWithin{5};
    static constexpr std::chrono::seconds kEngineGrace{3};
    // A process still starting then: its pages open all the same.
    static constexpr std::chrono::seconds kLaunchWithin{20};
    // Pages alone go back when no runaway shows within this.
    static constexpr std::chrono::minutes kProbation{5};
    // A page's first load has not started: the next page is made all the same.
    static constexpr std::chrono::seconds kNextPageAfter{2};

    // How crowded the processors are: runnable tasks per processor (1 or less: each has one to
    // itself). A starved process answers late without hanging, so the time it has to answer,
    // and the engine's grace, grow with the crowding, up to kMostPatience times.
    using Crowding = std::function<double()>;
    static constexpr double kMostPatience = 3;

    ProcessGroupPolicy(ProcessGroupEngine& engine, const EngineClock& clock,
                       Crowding crowding = {});
    ~ProcessGroupPolicy();
    ProcessGroupPolicy(const ProcessGroupPolicy&) = delete;
    ProcessGroupPolicy& operator=(const ProcessGroupPolicy&) = delete;

    // The group of window `window`.
    static int GroupOfWindow(int window);

    // Runs `make` once the process of window `window`'s group answers, in turn with the group's
    // other pages being made.
    void WhenReady(int window, std::function<void()> make);
    // The page of window `window` joins its group (its view is being made); returns the group.
    int Join(GroupedPage& page, int window);
    // The page is going away.
    void Forget(GroupedPage& page);
    // Runs `open` once the process the page goes into answers (now when it does).
    void WhenReady(GroupedPage& page, std::function<void()> open);
    // The page started its first load: the next page of its group may be made.
    void Started(GroupedPage& page);
    // The page has waited too long for its process to answer.
    void Hung(GroupedPage& page);
    // The page, whose process is down, opens anew in the group's process.
    void Returned(GroupedPage& page);

    // What the engine reports.
    // An answer to a question (`ok`), or its failure; `page` null: the group's own process.
    void Answered(int group, GroupedPage* page, bool ok);
    void Responsive(GroupedPage& page, bool responsive);
    void GroupProcessEnded(int group);
    // Asks the processes due, ends the ones that hang, lets pages that ran alone for nothing go
    // back.
    void Check();

    // The page runs in a process of its own.
    bool Alone(const GroupedPage& page) const;
    // Pages counted.
    int Views() const;
    // The group's process has answered (or is taken to have).
    bool Ready(int group) const;

  private:
    struct Member;
    struct Group;
    using TimePoint = EngineClock::TimePoint;

    Group& GroupFor(int window);
    Group* GroupOf(const GroupedPage& page, Member** found = nullptr) const;
    void WhenReady(Group& group, std::function<void()> open);
    void MakeNext(Group& group);
    void Release(Group& group);
    void AskGroup(Group& group);
    void AskPage(Group& group, Member& member);
    void Measure();
    void CheckLaunch(Group& group, TimePoint now);
    bool CheckPages(Group& group, TimePoint now);
    bool CheckShared(Group& group, TimePoint now);
    void Suspect(Group& group, Member& member);
    void EndAlone(Group& group, Member& member);
    void Split(Group& group);
    void Rejoin(Group& group);

    ProcessGroupEngine& m_engine;
    const EngineClock& m_clock;
    Crowding m_crowding;
    // kAnswerWithin and kEngineGrace as the crowding stretches them.
    std::chrono::milliseconds m_answerWithin{kAnswerWithin};
    std::chrono::milliseconds m_engineGrace{kEngineGrace};
    std::map<int, std::unique_ptr<Group>> m_groups;
};

}  // namespace nuvaro
