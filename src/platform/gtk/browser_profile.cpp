#include "platform/gtk/browser_profile.h"

#include <webkit2/webkit2.h>

#include <memory>

#include "core/exe_dir.h"
#include "monitor/page_script.h"
#include "platform/gtk/process_groups.h"

namespace nuvaro::browser_profile {
namespace {

struct Profile {
    std::string folder;
    WebKitWebContext* context = nullptr;
    WebKitSettings* settings = nullptr;
    WebKitUserContentManager* scripts = nullptr;
    std::unique_ptr<ProcessGroups> groups;
};

Profile& Current() {
    static Profile profile;
    return profile;
}

void EnableFeature(WebKitSettings* settings, const char* identifier) {
    WebKitFeatureList* all = webkit_settings_get_all_features();
    for (gsize i = 0; i < webkit_feature_list_get_length(all); ++i) {
        WebKitFeature* feature = webkit_feature_list_get(all, i);
        if (g_strcmp0(webkit_feature_get_identifier(feature), identifier) == 0) {
            webkit_settings_set_feature_enabled(settings, feature, TRUE);
        }
    }
    webkit_feature_list_unref(all);
}

void Release(Profile& p) {
    p.groups.reset();
    g_clear_object(&p.scripts);
    g_clear_object(&p.settings);
    g_clear_object(&p.context);
}

// How every page is shown and read.
WebKitSettings* NewSettings() {
    WebKitSettings* settings = webkit_settings_new();
    // Pages that name no encoding are read as a Chinese system reads them.
    webkit_settings_set_default_charset(settings, "GBK");
    // Pages are shown in a small box: drawing without the GPU costs little memory and, on a
    // machine without a GPU driver, far less CPU.
    webkit_settings_set_hardware_acceleration_policy(settings,
                                                     WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    EnableFeature(settings, "HiddenPageDOMTimerThrottlingAutoIncreases");
    // Pages left behind are not kept alive in memory for going back.
    webkit_settings_set_enable_page_cache(settings, FALSE);
    return settings;
}

// The context of the folder beside the executable. Tests move the executable's folder between
// windows' lives: once no view is left, a new folder gets a context of its own.
Profile& Ready() {
    Profile& p = Current();
    const std::string folder = ExeDirFile(kFolder);
    if (p.context && p.folder != folder && p.groups->Policy().Views() == 0) Release(p);
    if (p.context) return p;
    p.folder = folder;
    WebKitWebsiteDataManager* data = webkit_website_data_manager_new(
        "base-data-directory", (folder + "/data").c_str(), "base-cache-directory",
        (folder + "/cache").c_str(), nullptr);
    p.context = WEBKIT_WEB_CONTEXT(
        g_object_new(WEBKIT_TYPE_WEB_CONTEXT, "website-data-manager", data, nullptr));
    g_object_unref(data);
    // A disk cache of what pages allow to be kept (the engine bounds it to 20 to 75 MB by the free
    // disk space): a reload revalidates pictures, scripts and styles instead of downloading them
    // again, while the page document itself is always fetched anew.
    webkit_web_context_set_cache_model(p.context, WEBKIT_CACHE_MODEL_DOCUMENT_BROWSER);
    webkit_cookie_manager_set_persistent_storage(webkit_web_context_get_cookie_manager(p.context),
                                                 (folder + "/cookies.sqlite").c_str(),
                                                 WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);

    p.settings = NewSettings();

    p.scripts = webkit_user_content_manager_new();
    // The settle watcher, in the program's own script world; the page's requests are counted from
    // the engine's reports instead.
    WebKitUserScript* quiet = webkit_user_script_new_for_world(
        kSettleWatchScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, kWorld, nullptr, nullptr);
    webkit_user_content_manager_add_script(p.scripts, quiet);
    webkit_user_script_unref(quiet);
    p.groups = std::make_unique<ProcessGroups>(p.context, p.settings, p.scripts);
    return p;
}

}  // namespace

std::string Folder() { return ExeDirFile(kFolder); }

void WhenReady(int window, std::function<void()> make) {
    Ready().groups->Policy().WhenReady(window, std::move(make));
}

WebKitWebView* NewView(GroupedPage& page, int window) {
    return Ready().groups->NewView(page, window);
}

void Forget(GroupedPage& page) {
    Profile& p = Current();
    if (p.groups) p.groups->Forget(page);
}

ProcessGroupPolicy* Groups() {
    Profile& p = Current();
    return p.groups ? &p.groups->Policy() : nullptr;
}

}  // namespace nuvaro::browser_profile
