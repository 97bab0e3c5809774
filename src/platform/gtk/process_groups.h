#pragma once

#include <functional>
#include <map>
#include <memory>

#include "monitor/process_group_policy.h"
#include "platform/gtk/glib_clock.h"

typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitWebContext WebKitWebContext;
typedef struct _WebKitSettings WebKitSettings;
typedef struct _WebKitUserContentManager WebKitUserContentManager;

namespace nuvaro {

// The web processes of the windows, as ProcessGroupPolicy decides them. Each group's process
// belongs to a hidden view of the group that shows no page (so no page of a window decides where
// the others run), and the windows' views are its relatives. The policy's questions to a process
// are scripts run in the program's own script world; its processes are ended through their views.
class ProcessGroups : private ProcessGroupEngine {
  public:
    ProcessGroups(WebKitWebContext* context, WebKitSettings* settings,
                  WebKitUserContentManager* scripts);
    ~ProcessGroups() override;
    ProcessGroups(const ProcessGroups&) = delete;
    ProcessGroups& operator=(const ProcessGroups&) = delete;

    ProcessGroupPolicy& Policy() { return m_policy; }
    // A new view for window `window`, once the policy's WhenReady said so. The caller owns the
    // floating reference.
    WebKitWebView* NewView(GroupedPage& page, int window);
    // The page's view is going away.
    void Forget(GroupedPage& page);

  private:
    struct Probe;

    // ProcessGroupEngine
    void AskGroup(int group, bool relaunch) override;
    void AskPage(int group, GroupedPage& page) override;
    void EndGroupProcess(int group) override;
    void EndPageProcess(GroupedPage& page) override;
    void DropGroup(int group) override;

    // Runnable tasks of the last minute per processor.
    static double ProcessorCrowding();
    WebKitWebView* Anchor(int group);
    void Ask(WebKitWebView* view, int group, GroupedPage* page);
    static void DestroyAnchor(WebKitWebView* anchor, void* self);
    static void OnResponsive(WebKitWebView* view, void* spec, void* self);
    static void OnAnchorEnded(WebKitWebView* view, int reason, void* self);

    WebKitWebContext* m_context;
    WebKitSettings* m_settings;
    WebKitUserContentManager* m_scripts;
    GlibClock m_clock;
    ProcessGroupPolicy m_policy{*this, m_clock, ProcessorCrowding};
    std::map<int, WebKitWebView*> m_anchors;
    std::map<GroupedPage*, WebKitWebView*> m_views;
    unsigned m_checkSource = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
