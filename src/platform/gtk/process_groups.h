#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <vector>

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitSettings WebKitSettings;
typedef struct _WebKitUserContentManager WebKitUserContentManager;

namespace nuvaro {

// A view's owner as its process group sees it.
class GroupMember {
  public:
    virtual ~GroupMember() = default;
    virtual WebKitWebView* View() const = 0;
    // The member's web process is about to be ended on purpose: `ranAway` when its own page hung
    // it; otherwise its page opens again, in a process of its own (`alone`) or in the group's.
    virtual void EndingProcess(bool ranAway, bool alone) = 0;
    // A load or a read of the page is under way.
    virtual bool Busy() const = 0;
    // The view has a web process (one ended on purpose may wait for the next reload).
    virtual bool HasProcess() const = 0;
    // Called every second: a chance to ask again for a load the engine dropped.
    virtual void Tend() = 0;
};

// Windows share web processes in groups of five. Each group's process belongs to a hidden view
// of the group that shows no page (so no page of a window decides where the others run), and the
// windows' views are its relatives. Views are made, and pages opened into them, only once that
// process answers: a view made while its process is still starting may never load a page.
//
// A process that stops answering (the engine says so after a reload, or a question to it waits
// too long) is ended. When it held several pages, nobody knows which one ran away: each of them
// opens again in a process of its own, and the one that then hangs its own process is the
// runaway. It stays alone and is told; the others go back to the group's process once idle, and
// so does everyone when no runaway shows within a while.
class ProcessGroups {
  public:
    static constexpr int kWindowsPerProcess = 5;

    ProcessGroups(WebKitWebContext* context, WebKitSettings* settings,
                  WebKitUserContentManager* scripts);
    ~ProcessGroups();
    ProcessGroups(const ProcessGroups&) = delete;
    ProcessGroups& operator=(const ProcessGroups&) = delete;

    // Runs `make` once the process of window `window`'s group (window / 5) answers.
    void WhenReady(int window, std::function<void()> make);
    // A new view for window `window`, once WhenReady said so. The caller owns the floating
    // reference.
    WebKitWebView* NewView(GroupMember& member, int window);
    // The member's view is going away.
    void Forget(GroupMember& member);
    // Runs `open` once the process the member's page goes into answers (now when it does).
    void WhenReady(GroupMember& member, std::function<void()> open);
    // The member's view started its first load: the next view of its group may be made.
    void Started(GroupMember& member);
    // The member's page has waited too long for its process to answer.
    void Hung(GroupMember& member);
    // The member runs in a process of its own.
    bool Alone(const GroupMember& member) const;
    // The member's page, whose process is down, opens anew in the group's process.
    void Returned(GroupMember& member);
    // Views counted, anchors not.
    int Views() const;

  private:
    struct Member;
    struct Group;
    struct Probe;

    Group& GroupFor(int window);
    void WhenReady(Group& group, std::function<void()> open);
    void MakeNext(Group& group);
    void Release(Group& group);
    Group* GroupOf(const GroupMember& member, Member** found = nullptr);
    const Group* GroupOf(const GroupMember& member, const Member** found) const;
    WebKitWebView* Anchor(Group& group);
    void Ping(Group& group, WebKitWebView* view, Member* member);
    void Answered(int key, GroupMember* owner, bool ok);
    void Check();
    void Suspect(Group& group, Member& member);
    void EndAlone(Group& group, Member& member);
    void Split(Group& group);
    void Rejoin(Group& group);
    static void OnResponsive(WebKitWebView* view, void* spec, void* self);
    static void OnAnchorEnded(WebKitWebView* view, int reason, void* self);

    WebKitWebContext* m_context;
    WebKitSettings* m_settings;
    WebKitUserContentManager* m_scripts;
    std::map<int, std::unique_ptr<Group>> m_groups;
    unsigned m_checkSource = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
