#include "monitor/process_group_policy.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace nuvaro {

// Where a page runs.
enum class Placement {
    Shared,   // in its group's process
    OnTrial,  // alone until its group's runaway is known
    Alone,    // in a process of its own for good: it ran away, or the group's did with it alone
};

// The group's own process.
enum class Launch {
    Starting,  // not answered yet
    Answers,   // has answered
    Forced,    // kept silent so long since it started that pages go on all the same
};

// A group split up after its process hung.
enum class Trial {
    None,
    Running,       // its pages run alone until the runaway is known
    RunawayFound,  // ... and one of them has run away
};

struct ProcessGroupPolicy::Member {
    GroupedPage* page;
    Placement placement = Placement::Shared;
    std::optional<TimePoint> asked;  // its own process was asked, no answer yet
    TimePoint answered;
    std::optional<TimePoint> unresponsive;  // since the engine says so

    bool Alone() const { return placement != Placement::Shared; }
};

struct ProcessGroupPolicy::Group {
    int key = 0;
    Launch launch = Launch::Starting;
    bool relaunch = false;  // its process ended: a new one must be started to answer
    std::vector<std::function<void()>> waiting;  // pages to open again once it answers
    std::deque<std::function<void()>> making;    // pages to make, one at a time
    std::optional<TimePoint> makingOne;          // a page made, its first load not started
    TimePoint waitingSince;
    std::optional<TimePoint> asked;
    TimePoint answered;
    std::vector<std::unique_ptr<Member>> members;
    Trial trial = Trial::None;
    TimePoint probationEnds;

    bool GoesOn() const { return launch != Launch::Starting; }
    bool Idle() const { return waiting.empty() && making.empty(); }
};

ProcessGroupPolicy::ProcessGroupPolicy(ProcessGroupEngine& engine, const EngineClock& clock,
                                       Crowding crowding)
    : m_engine(engine), m_clock(clock), m_crowding(std::move(crowding)) {}

ProcessGroupPolicy::~ProcessGroupPolicy() = default;

int ProcessGroupPolicy::GroupOfWindow(int window) {
    return std::max(window, 0) / kWindowsPerProcess;
}

ProcessGroupPolicy::Group& ProcessGroupPolicy::GroupFor(int window) {
    const int key = GroupOfWindow(window);
    auto& slot = m_groups[key];
    if (!slot) {
        slot = std::make_unique<Group>();
        slot->key = key;
        slot->answered = m_clock.Now();
    }
    return *slot;
}

ProcessGroupPolicy::Group* ProcessGroupPolicy::GroupOf(const GroupedPage& page,
                                                       Member** found) const {
    for (auto& [key, group] : m_groups) {
        for (auto& m : group->members) {
            if (m->page != &page) continue;
            if (found) *found = m.get();
            return group.get();
        }
    }
    return nullptr;
}

// Pages of a group are made one at a time, each once the one before has started its first load:
// views made together have been seen never to load their pages.
void ProcessGroupPolicy::WhenReady(int window, std::function<void()> make) {
    Group& group = GroupFor(window);
    if (group.Idle()) group.waitingSince = m_clock.Now();
    group.making.push_back(std::move(make));
    if (group.launch != Launch::Answers && !group.asked) AskGroup(group);
    MakeNext(group);
}

void ProcessGroupPolicy::MakeNext(Group& group) {
    if (group.making.empty() || group.makingOne || !group.GoesOn()) return;
    group.makingOne = m_clock.Now();
    auto make = std::move(group.making.front());
    group.making.pop_front();
    make();
}

void ProcessGroupPolicy::Started(GroupedPage& page) {
    Group* group = GroupOf(page);
    if (!group || !group->makingOne) return;
    group->makingOne.reset();
    MakeNext(*group);
}

// The group's process answers (or is taken to): what waited for it goes on.
void ProcessGroupPolicy::Release(Group& group) {
    auto waiting = std::move(group.waiting);
    group.waiting.clear();
    for (auto& open : waiting) open();
    MakeNext(group);
}

int ProcessGroupPolicy::Join(GroupedPage& page, int window) {
    Group& group = GroupFor(window);
    auto added = std::make_unique<Member>();
    added->page = &page;
    added->answered = m_clock.Now();
    group.members.push_back(std::move(added));
    return group.key;
}

void ProcessGroupPolicy::Forget(GroupedPage& page) {
    for (auto it = m_groups.begin(); it != m_groups.end(); ++it) {
        Group& group = *it->second;
        auto found = std::find_if(group.members.begin(), group.members.end(),
                                  [&](const auto& m) { return m->page == &page; });
        if (found == group.members.end()) continue;
        group.members.erase(found);
        if (group.members.empty() && group.Idle()) {
            // No page left: the group's process goes.
            const int key = group.key;
            m_groups.erase(it);
            m_engine.DropGroup(key);
        }
        return;
    }
}

bool ProcessGroupPolicy::Alone(const GroupedPage& page) const {
    Member* m = nullptr;
    return GroupOf(page, &m) && m->Alone();
}

int ProcessGroupPolicy::Views() const {
    int views = 0;
    for (const auto& [key, group] : m_groups) views += static_cast<int>(group->members.size());
    return views;
}

bool ProcessGroupPolicy::Ready(int group) const {
    auto it = m_groups.find(group);
    return it != m_groups.end() && it->second->launch == Launch::Answers;
}

void ProcessGroupPolicy::WhenReady(GroupedPage& page, std::function<void()> open) {
    Member* m = nullptr;
    Group* group = GroupOf(page, &m);
    if (!group || m->Alone()) return open();
    WhenReady(*group, std::move(open));
}

void ProcessGroupPolicy::WhenReady(Group& group, std::function<void()> open) {
    if (group.GoesOn()) return open();
    if (group.Idle()) group.waitingSince = m_clock.Now();
    group.waiting.push_back(std::move(open));
    if (!group.asked) AskGroup(group);
}

void ProcessGroupPolicy::AskGroup(Group& group) {
    group.asked = m_clock.Now();
    m_engine.AskGroup(group.key, std::exchange(group.relaunch, false));
}

void ProcessGroupPolicy::AskPage(Group& group, Member& member) {
    member.asked = m_clock.Now();
    m_engine.AskPage(group.key, *member.page);
}

// An answer, or the failure of a question to a process that was ended meanwhile.
void ProcessGroupPolicy::Answered(int key, GroupedPage* page, bool ok) {
    auto it = m_groups.find(key);
    if (it == m_groups.end()) return;
    Group& group = *it->second;
    if (page) {
        Member* m = nullptr;
        if (GroupOf(*page, &m) != &group) return;
        m->asked.reset();
        if (ok) m->answered = m_clock.Now();
        return;
    }
    group.asked.reset();
    if (!ok) return;
    group.answered = m_clock.Now();
    group.launch = Launch::Answers;
    Release(group);
}

void ProcessGroupPolicy::Responsive(GroupedPage& page, bool responsive) {
    Member* m = nullptr;
    if (!GroupOf(page, &m)) return;
    if (!responsive && !m->unresponsive) m->unresponsive = m_clock.Now();
    if (responsive) m->unresponsive.reset();
}

void ProcessGroupPolicy::GroupProcessEnded(int key) {
    auto it = m_groups.find(key);
    if (it == m_groups.end()) return;
    it->second->launch = Launch::Starting;
    it->second->relaunch = true;
    it->second->asked.reset();
}

void ProcessGroupPolicy::Measure() {
    double patience = m_crowding ? m_crowding() : 1;
    if (!(patience >= 1)) patience = 1;  // NaN too
    patience = std::min(patience, kMostPatience);
    m_answerWithin =
        std::chrono::duration_cast<std::chrono::milliseconds>(kAnswerWithin * patience);
    m_engineGrace = std::chrono::duration_cast<std::chrono::milliseconds>(kEngineGrace * patience);
}

void ProcessGroupPolicy::Check() {
    Measure();
    const auto now = m_clock.Now();
    for (auto& [key, slot] : m_groups) {
        Group& group = *slot;
        CheckLaunch(group, now);
        for (auto& m : group.members) m->page->Tend();
        // A page found hanging changes the groups: the rest waits for the next check.
        if (CheckPages(group, now) || CheckShared(group, now)) return;
        if (group.trial != Trial::None &&
            (group.trial == Trial::RunawayFound || now > group.probationEnds)) {
            Rejoin(group);
        }
    }
}

// A group still starting: asked until it answers; pages go on when it never does.
void ProcessGroupPolicy::CheckLaunch(Group& group, TimePoint now) {
    if (!group.GoesOn() && !group.Idle()) {
        if (now - group.waitingSince > kLaunchWithin) {
            group.launch = Launch::Forced;
            Release(group);
        } else if (!group.asked) {
            AskGroup(group);
        }
    }
    if (group.makingOne && now - *group.makingOne > kNextPageAfter) {
        group.makingOne.reset();
        MakeNext(group);
    }
}

// Pages alone: each process asked when due; one that hangs is ended. True when one was.
bool ProcessGroupPolicy::CheckPages(Group& group, TimePoint now) {
    for (auto& m : group.members) {
        bool engineSays = m->unresponsive && now - *m->unresponsive > m_engineGrace;
        bool keptQuestion = m->Alone() && m->asked && now - *m->asked > m_answerWithin;
        if (engineSays || keptQuestion) {
            Suspect(group, *m);
            return true;
        }
        auto every =
            m->page->Busy() || m->placement == Placement::OnTrial ? kAskBusyEvery : kAskIdleEvery;
        if (m->Alone() && !m->asked && now - m->answered > every && m->page->HasProcess()) {
            AskPage(group, *m);
        }
    }
    return false;
}

// The group's process while pages share it: asked when due; when it hangs, it is ended. True
// when it was.
bool ProcessGroupPolicy::CheckShared(Group& group, TimePoint now) {
    bool sharedBusy = false, shared = false;
    for (auto& m : group.members) {
        if (m->Alone()) continue;
        shared = true;
        sharedBusy = sharedBusy || m->page->Busy();
    }
    const bool answers = group.launch == Launch::Answers;
    if (shared && answers && group.asked && now - *group.asked > m_answerWithin) {
        auto it = std::find_if(group.members.begin(), group.members.end(),
                               [](const auto& m) { return !m->Alone(); });
        Suspect(group, **it);
        return true;
    }
    auto every = sharedBusy ? kAskBusyEvery : kAskIdleEvery;
    if (shared && answers && !group.asked && now - group.answered > every) AskGroup(group);
    return false;
}

// A process that hangs: a page alone in it is the runaway; a shared one is split up.
void ProcessGroupPolicy::Suspect(Group& group, Member& member) {
    member.unresponsive.reset();
    if (member.Alone()) return EndAlone(group, member);
    int shared = 0;
    for (auto& m : group.members) shared += m->Alone() ? 0 : 1;
    if (shared > 1) return Split(group);
    EndAlone(group, member);
}

void ProcessGroupPolicy::EndAlone(Group& group, Member& member) {
    member.placement = Placement::Alone;
    member.asked.reset();
    if (group.trial == Trial::Running) group.trial = Trial::RunawayFound;
    member.page->EndingProcess(true, true);
    m_engine.EndPageProcess(*member.page);
}

void ProcessGroupPolicy::Split(Group& group) {
    for (auto& m : group.members) {
        m->unresponsive.reset();
        if (m->Alone()) continue;
        m->placement = Placement::OnTrial;
        m->asked.reset();
        m->answered = m_clock.Now();
        m->page->EndingProcess(false, true);
    }
    group.trial = Trial::Running;
    group.probationEnds = m_clock.Now() + kProbation;
    group.asked.reset();
    group.launch = Launch::Starting;
    m_engine.EndGroupProcess(group.key);
}

// Pages that ran alone for nothing go back to the group's process, each once it is idle.
void ProcessGroupPolicy::Rejoin(Group& group) {
    bool left = false;
    for (auto& m : group.members) {
        if (m->placement != Placement::OnTrial) continue;
        if (m->page->Busy()) {
            left = true;
            continue;
        }
        m->placement = Placement::Shared;
        m->asked.reset();
        m->page->EndingProcess(false, false);
        m_engine.EndPageProcess(*m->page);
    }
    if (!left) group.trial = Trial::None;
}

void ProcessGroupPolicy::Returned(GroupedPage& page) {
    Member* m = nullptr;
    if (!GroupOf(page, &m)) return;
    m->placement = Placement::Shared;
    m->asked.reset();
}

void ProcessGroupPolicy::Hung(GroupedPage& page) {
    Member* m = nullptr;
    if (Group* group = GroupOf(page, &m)) Suspect(*group, *m);
}

}  // namespace nuvaro
