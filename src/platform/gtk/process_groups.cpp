#include "platform/gtk/process_groups.h"

#include <unistd.h>
#include <webkit2/webkit2.h>

#include <cstdlib>

#include "platform/gtk/browser_profile.h"

namespace nuvaro {

// A question to a process; the answer may come when the groups are gone.
struct ProcessGroups::Probe {
    std::weak_ptr<bool> alive;
    ProcessGroups* groups;
    int group;
    GroupedPage* page;  // null: the group's process, asked through its anchor
};

ProcessGroups::ProcessGroups(WebKitWebContext* context, WebKitSettings* settings,
                             WebKitUserContentManager* scripts)
    : m_context(context), m_settings(settings), m_scripts(scripts) {
    using namespace std::chrono_literals;
    // Below the engine's own messages: an answer that is already there is taken first.
    m_checkSource = g_timeout_add_full(
        G_PRIORITY_DEFAULT_IDLE, static_cast<guint>(ProcessGroupPolicy::kCheckEvery / 1ms),
        [](void* self) -> gboolean {
            static_cast<ProcessGroups*>(self)->m_policy.Check();
            return G_SOURCE_CONTINUE;
        },
        this, nullptr);
}

ProcessGroups::~ProcessGroups() {
    *m_alive = false;
    g_source_remove(m_checkSource);
    for (auto& [page, view] : m_views) g_signal_handlers_disconnect_by_data(view, this);
    for (auto& [group, anchor] : m_anchors) DestroyAnchor(anchor, this);
}

double ProcessGroups::ProcessorCrowding() {
    double load = 0;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    if (getloadavg(&load, 1) != 1 || processors < 1) return 1;
    return load / static_cast<double>(processors);
}

void ProcessGroups::DestroyAnchor(WebKitWebView* anchor, void* self) {
    g_signal_handlers_disconnect_by_data(anchor, self);
    gtk_widget_destroy(GTK_WIDGET(anchor));
    g_object_unref(anchor);
}

WebKitWebView* ProcessGroups::Anchor(int group) {
    WebKitWebView*& anchor = m_anchors[group];
    if (anchor) return anchor;
    anchor =
        WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", m_context, "settings",
                                     m_settings, "user-content-manager", m_scripts, nullptr));
    g_object_ref_sink(anchor);
    g_signal_connect(anchor, "web-process-terminated", G_CALLBACK(OnAnchorEnded), this);
    return anchor;
}

WebKitWebView* ProcessGroups::NewView(GroupedPage& page, int window) {
    WebKitWebView* anchor = Anchor(ProcessGroupPolicy::GroupOfWindow(window));
    auto* view =
        WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", anchor, "settings",
                                     m_settings, "user-content-manager", m_scripts, nullptr));
    m_policy.Join(page, window);
    m_views[&page] = view;
    g_signal_connect(view, "notify::is-web-process-responsive", G_CALLBACK(OnResponsive), this);
    return view;
}

void ProcessGroups::Forget(GroupedPage& page) {
    auto it = m_views.find(&page);
    if (it == m_views.end()) return;
    g_signal_handlers_disconnect_by_data(it->second, this);
    m_views.erase(it);
    m_policy.Forget(page);
}

// No page left: the group's process goes with its anchor.
void ProcessGroups::DropGroup(int group) {
    auto it = m_anchors.find(group);
    if (it == m_anchors.end()) return;
    DestroyAnchor(it->second, this);
    m_anchors.erase(it);
}

void ProcessGroups::AskGroup(int group, bool relaunch) {
    WebKitWebView* anchor = Anchor(group);
    // A view whose process ended starts a new one only to load something.
    if (relaunch) webkit_web_view_load_uri(anchor, "about:blank");
    Ask(anchor, group, nullptr);
}

void ProcessGroups::AskPage(int group, GroupedPage& page) { Ask(m_views[&page], group, &page); }

void ProcessGroups::Ask(WebKitWebView* view, int group, GroupedPage* page) {
    auto* probe = new Probe{m_alive, this, group, page};
    webkit_web_view_evaluate_javascript(
        view, "0", -1, browser_profile::kWorld, nullptr, nullptr,
        [](GObject* source, GAsyncResult* result, void* data) {
            std::unique_ptr<Probe> probe(static_cast<Probe*>(data));
            GError* error = nullptr;
            JSCValue* value =
                webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
            if (value) g_object_unref(value);
            if (error) g_error_free(error);
            if (probe->alive.expired()) return;
            probe->groups->m_policy.Answered(probe->group, probe->page, value);
        },
        probe);
}

void ProcessGroups::EndGroupProcess(int group) {
    webkit_web_view_terminate_web_process(m_anchors[group]);
}

void ProcessGroups::EndPageProcess(GroupedPage& page) {
    webkit_web_view_terminate_web_process(m_views[&page]);
}

void ProcessGroups::OnResponsive(WebKitWebView* view, void*, void* data) {
    auto* self = static_cast<ProcessGroups*>(data);
    const bool responsive = webkit_web_view_get_is_web_process_responsive(view);
    for (auto& [page, pageView] : self->m_views) {
        if (pageView == view) self->m_policy.Responsive(*page, responsive);
    }
}

void ProcessGroups::OnAnchorEnded(WebKitWebView* view, int, void* data) {
    auto* self = static_cast<ProcessGroups*>(data);
    for (auto& [group, anchor] : self->m_anchors) {
        if (anchor == view) self->m_policy.GroupProcessEnded(group);
    }
}

}  // namespace nuvaro
