#include "platform/gtk/process_groups.h"

#include <webkit2/webkit2.h>

#include <algorithm>
#include <deque>
#include <optional>

#include "platform/gtk/browser_profile.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kCheckEvery = 1s;
constexpr auto kAskBusyEvery = 2s;   // a process whose pages are loading or being read, or alone
                                     // until the runaway is known
constexpr auto kAskIdleEvery = 10s;  // a page that runs away between ticks burns a core
constexpr auto kAnswerWithin = 5s;   // a process that keeps a question longer hangs
constexpr auto kLaunchWithin = 20s;  // a process still starting then: its pages open anyway
constexpr auto kEngineGrace = 3s;    // the engine's "unresponsive" must last this long
constexpr auto kProbation = 5min;    // pages on their own go back when no runaway shows
constexpr auto kNextViewAfter =
    2s;  // a view's first load has not started: make the next all the same

}  // namespace

struct ProcessGroups::Member {
    GroupMember* owner;
    bool alone = false;                      // in a process of its own
    bool suspect = false;                    // alone until its group's runaway is known
    std::optional<Clock::time_point> asked;  // its own process was asked, no answer yet
    Clock::time_point answered = Clock::now();
    std::optional<Clock::time_point> unresponsive;  // since the engine says so
};

struct ProcessGroups::Group {
    int key = 0;
    WebKitWebView* anchor = nullptr;
    bool ready = false;     // the group's process has answered
    bool forced = false;    // ... or kept silent so long since it started that pages go on
    bool relaunch = false;  // it ended: the anchor must load something to start a new one
    std::vector<std::function<void()>> waiting;  // pages to open again once it answers
    std::deque<std::function<void()>> making;    // views to make, one at a time
    std::optional<Clock::time_point> makingOne;  // a view made, its first load not started
    Clock::time_point waitingSince;
    std::optional<Clock::time_point> asked;
    Clock::time_point answered = Clock::now();
    std::vector<std::unique_ptr<Member>> members;
    bool splitUp = false;  // its pages run alone until the runaway is known
    bool runawayKnown = false;
    Clock::time_point probationEnds;
};

// A question to a process; the answer may come when the groups are gone.
struct ProcessGroups::Probe {
    std::weak_ptr<bool> alive;
    ProcessGroups* groups;
    int key;
    GroupMember* owner;  // null: the group's process, asked through its anchor
};

ProcessGroups::ProcessGroups(WebKitWebContext* context, WebKitSettings* settings,
                             WebKitUserContentManager* scripts)
    : m_context(context), m_settings(settings), m_scripts(scripts) {
    // Below the engine's own messages: an answer that is already there is taken first.
    m_checkSource = g_timeout_add_full(
        G_PRIORITY_DEFAULT_IDLE, static_cast<guint>(kCheckEvery / 1ms),
        [](void* self) -> gboolean {
            static_cast<ProcessGroups*>(self)->Check();
            return G_SOURCE_CONTINUE;
        },
        this, nullptr);
}

ProcessGroups::~ProcessGroups() {
    *m_alive = false;
    g_source_remove(m_checkSource);
    for (auto& [key, group] : m_groups) {
        for (auto& m : group->members) g_signal_handlers_disconnect_by_data(m->owner->View(), this);
        if (group->anchor) {
            g_signal_handlers_disconnect_by_data(group->anchor, this);
            gtk_widget_destroy(GTK_WIDGET(group->anchor));
            g_object_unref(group->anchor);
        }
    }
}

WebKitWebView* ProcessGroups::Anchor(Group& group) {
    if (group.anchor) return group.anchor;
    group.anchor =
        WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", m_context, "settings",
                                     m_settings, "user-content-manager", m_scripts, nullptr));
    g_object_ref_sink(group.anchor);
    g_signal_connect(group.anchor, "web-process-terminated", G_CALLBACK(OnAnchorEnded), this);
    group.ready = false;
    return group.anchor;
}

ProcessGroups::Group& ProcessGroups::GroupFor(int window) {
    const int key = std::max(window, 0) / kWindowsPerProcess;
    auto& slot = m_groups[key];
    if (!slot) {
        slot = std::make_unique<Group>();
        slot->key = key;
    }
    return *slot;
}

// Views of a group are made one at a time, each once the one before has started its first
// load: views made together have been seen never to load their pages.
void ProcessGroups::WhenReady(int window, std::function<void()> make) {
    Group& group = GroupFor(window);
    if (group.making.empty() && group.waiting.empty()) group.waitingSince = Clock::now();
    group.making.push_back(std::move(make));
    if (!group.ready && !group.asked) Ping(group, Anchor(group), nullptr);
    MakeNext(group);
}

void ProcessGroups::MakeNext(Group& group) {
    if (group.making.empty() || group.makingOne || !(group.ready || group.forced)) return;
    group.makingOne = Clock::now();
    auto make = std::move(group.making.front());
    group.making.pop_front();
    make();
}

void ProcessGroups::Started(GroupMember& member) {
    Group* group = GroupOf(member);
    if (!group || !group->makingOne) return;
    group->makingOne.reset();
    MakeNext(*group);
}

// The group's process answers (or is taken to): what waited for it goes on.
void ProcessGroups::Release(Group& group) {
    auto waiting = std::move(group.waiting);
    group.waiting.clear();
    for (auto& open : waiting) open();
    MakeNext(group);
}

WebKitWebView* ProcessGroups::NewView(GroupMember& member, int window) {
    Group& group = GroupFor(window);
    auto* view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", Anchor(group),
                                              "settings", m_settings, "user-content-manager",
                                              m_scripts, nullptr));
    auto added = std::make_unique<Member>();
    added->owner = &member;
    group.members.push_back(std::move(added));
    g_signal_connect(view, "notify::is-web-process-responsive", G_CALLBACK(OnResponsive), this);
    return view;
}

void ProcessGroups::Forget(GroupMember& member) {
    for (auto it = m_groups.begin(); it != m_groups.end(); ++it) {
        Group& group = *it->second;
        auto found = std::find_if(group.members.begin(), group.members.end(),
                                  [&](const auto& m) { return m->owner == &member; });
        if (found == group.members.end()) continue;
        if (WebKitWebView* view = member.View()) g_signal_handlers_disconnect_by_data(view, this);
        group.members.erase(found);
        if (group.members.empty() && group.waiting.empty() && group.making.empty() &&
            group.anchor) {
            // No page left: the group's process goes with its anchor.
            g_signal_handlers_disconnect_by_data(group.anchor, this);
            gtk_widget_destroy(GTK_WIDGET(group.anchor));
            g_object_unref(group.anchor);
            m_groups.erase(it);
        }
        return;
    }
}

ProcessGroups::Group* ProcessGroups::GroupOf(const GroupMember& member, Member** found) {
    for (auto& [key, group] : m_groups) {
        for (auto& m : group->members) {
            if (m->owner != &member) continue;
            if (found) *found = m.get();
            return group.get();
        }
    }
    return nullptr;
}

const ProcessGroups::Group* ProcessGroups::GroupOf(const GroupMember& member,
                                                   const Member** found) const {
    Member* m = nullptr;
    const Group* group = const_cast<ProcessGroups*>(this)->GroupOf(member, &m);
    if (found) *found = m;
    return group;
}

bool ProcessGroups::Alone(const GroupMember& member) const {
    const Member* m = nullptr;
    return GroupOf(member, &m) && m->alone;
}

int ProcessGroups::Views() const {
    int views = 0;
    for (const auto& [key, group] : m_groups) views += static_cast<int>(group->members.size());
    return views;
}

void ProcessGroups::WhenReady(GroupMember& member, std::function<void()> open) {
    Member* m = nullptr;
    Group* group = GroupOf(member, &m);
    if (!group || m->alone) return open();
    WhenReady(*group, std::move(open));
}

void ProcessGroups::WhenReady(Group& group, std::function<void()> open) {
    if (group.ready || group.forced) return open();
    if (group.waiting.empty() && group.making.empty()) group.waitingSince = Clock::now();
    group.waiting.push_back(std::move(open));
    if (!group.asked) Ping(group, Anchor(group), nullptr);
}

void ProcessGroups::Ping(Group& group, WebKitWebView* view, Member* member) {
    (member ? member->asked : group.asked) = Clock::now();
    if (!member && group.relaunch) {
        // A view whose process ended starts a new one only to load something.
        group.relaunch = false;
        webkit_web_view_load_uri(view, "about:blank");
    }
    auto* probe = new Probe{m_alive, this, group.key, member ? member->owner : nullptr};
    webkit_web_view_evaluate_javascript(
        view, "0", -1, browser_profile::kWorld, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, void* data) {
            std::unique_ptr<Probe> probe(static_cast<Probe*>(data));
            GError* error = nullptr;
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
            if (value) g_object_unref(value);
            if (error) g_error_free(error);
            if (!probe->alive.expired()) probe->groups->Answered(probe->key, probe->owner, value);
        },
        probe);
}

// An answer, or the failure of a question to a process that was ended meanwhile.
void ProcessGroups::Answered(int key, GroupMember* owner, bool ok) {
    auto it = m_groups.find(key);
    if (it == m_groups.end()) return;
    Group& group = *it->second;
    if (owner) {
        Member* m = nullptr;
        if (GroupOf(*owner, &m) != &group) return;
        m->asked.reset();
        if (ok) m->answered = Clock::now();
        return;
    }
    group.asked.reset();
    if (!ok) return;
    group.answered = Clock::now();
    group.ready = true;
    group.forced = false;
    Release(group);
}

void ProcessGroups::OnResponsive(WebKitWebView* view, void*, void* data) {
    auto* self = static_cast<ProcessGroups*>(data);
    const bool responsive = webkit_web_view_get_is_web_process_responsive(view);
    for (auto& [key, group] : self->m_groups) {
        for (auto& m : group->members) {
            if (m->owner->View() != view) continue;
            if (!responsive && !m->unresponsive) m->unresponsive = Clock::now();
            if (responsive) m->unresponsive.reset();
        }
    }
}

void ProcessGroups::OnAnchorEnded(WebKitWebView* view, int, void* data) {
    auto* self = static_cast<ProcessGroups*>(data);
    for (auto& [key, group] : self->m_groups) {
        if (group->anchor != view) continue;
        group->ready = group->forced = false;
        group->relaunch = true;
        group->asked.reset();
    }
}

// Looks at every process: asks the ones due, ends the ones that hang, lets pages that ran alone
// for nothing go back.
void ProcessGroups::Check() {
    const auto now = Clock::now();
    for (auto& [key, slot] : m_groups) {
        Group& group = *slot;
        if (!group.ready && !group.forced && (!group.waiting.empty() || !group.making.empty())) {
            if (now - group.waitingSince > kLaunchWithin) {
                // Never answered since it started: open the pages all the same.
                group.forced = true;
                Release(group);
            } else if (!group.asked) {
                Ping(group, Anchor(group), nullptr);
            }
        }
        if (group.makingOne && now - *group.makingOne > kNextViewAfter) {
            group.makingOne.reset();
            MakeNext(group);
        }
        for (auto& m : group.members) m->owner->Tend();
        bool sharedBusy = false, shared = false;
        for (auto& m : group.members) {
            if (m->alone) continue;
            shared = true;
            sharedBusy = sharedBusy || m->owner->Busy();
        }
        for (auto& m : group.members) {
            bool engineSays = m->unresponsive && now - *m->unresponsive > kEngineGrace;
            bool keptQuestion = m->alone && m->asked && now - *m->asked > kAnswerWithin;
            if (engineSays || keptQuestion) return Suspect(group, *m);  // the groups changed
            auto every = m->owner->Busy() || m->suspect ? kAskBusyEvery : kAskIdleEvery;
            if (m->alone && !m->asked && now - m->answered > every && m->owner->HasProcess()) {
                Ping(group, m->owner->View(), m.get());
            }
        }
        if (shared && group.ready && group.asked && now - *group.asked > kAnswerWithin) {
            auto it = std::find_if(group.members.begin(), group.members.end(),
                                   [](const auto& m) { return !m->alone; });
            return Suspect(group, **it);
        }
        auto every = sharedBusy ? kAskBusyEvery : kAskIdleEvery;
        if (shared && group.ready && !group.asked && now - group.answered > every) {
            Ping(group, group.anchor, nullptr);
        }
        if (group.splitUp && (group.runawayKnown || now > group.probationEnds)) Rejoin(group);
    }
}

// A process that hangs: a page alone in it is the runaway; a shared one is split up.
void ProcessGroups::Suspect(Group& group, Member& member) {
    member.unresponsive.reset();
    if (member.alone) return EndAlone(group, member);
    int shared = 0;
    for (auto& m : group.members) shared += m->alone ? 0 : 1;
    if (shared > 1) return Split(group);
    member.alone = true;
    EndAlone(group, member);
}

void ProcessGroups::EndAlone(Group& group, Member& member) {
    member.suspect = false;
    member.asked.reset();
    if (group.splitUp) group.runawayKnown = true;
    member.owner->EndingProcess(true, true);
    webkit_web_view_terminate_web_process(member.owner->View());
}

void ProcessGroups::Split(Group& group) {
    for (auto& m : group.members) {
        m->unresponsive.reset();
        if (m->alone) continue;
        m->alone = m->suspect = true;
        m->asked.reset();
        m->answered = Clock::now();
        m->owner->EndingProcess(false, true);
    }
    group.splitUp = true;
    group.runawayKnown = false;
    group.probationEnds = Clock::now() + kProbation;
    group.asked.reset();
    group.ready = group.forced = false;
    webkit_web_view_terminate_web_process(group.anchor);
}

// Pages that ran alone for nothing go back to the group's process, each once it is idle.
void ProcessGroups::Rejoin(Group& group) {
    bool left = false;
    for (auto& m : group.members) {
        if (!m->suspect) continue;
        if (m->owner->Busy()) {
            left = true;
            continue;
        }
        m->alone = m->suspect = false;
        m->asked.reset();
        m->owner->EndingProcess(false, false);
        webkit_web_view_terminate_web_process(m->owner->View());
    }
    group.splitUp = left;
}

void ProcessGroups::Returned(GroupMember& member) {
    Member* m = nullptr;
    if (!GroupOf(member, &m)) return;
    m->alone = m->suspect = false;
    m->asked.reset();
}

void ProcessGroups::Hung(GroupMember& member) {
    Member* m = nullptr;
    if (Group* group = GroupOf(member, &m)) Suspect(*group, *m);
}

}  // namespace nuvaro
