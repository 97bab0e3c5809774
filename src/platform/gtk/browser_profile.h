#pragma once

#include <functional>
#include <string>

typedef struct _WebKitWebView WebKitWebView;

namespace nuvaro {

class GroupedPage;
class ProcessGroupPolicy;

// The one browser profile every window shares, like a desktop browser: cookies, local storage,
// IndexedDB and a bounded disk cache of what pages allow to be kept live in the folder "Browser"
// beside the executable (cookies are written as they are set), nothing under the home folder.
// Views are made without hardware acceleration and with the engine's timers of hidden pages
// slowed down over time. Windows share web processes in groups (see ProcessGroupPolicy), so thirty
// windows fit in memory and a crash or a runaway script touches at most one group.
namespace browser_profile {

inline constexpr const char* kFolder = "Browser";
// The script world of the program's own helpers; a page cannot see or change it.
inline constexpr const char* kWorld = "nuvaro";

// Runs `make` once a view for the window of number `window` can be made (its group's web
// process answers).
void WhenReady(int window, std::function<void()> make);
// A new view for the window of number `window`, showing `page`, in the web process of its
// group. The caller owns the floating reference.
WebKitWebView* NewView(GroupedPage& page, int window);
// The page's view is going away.
void Forget(GroupedPage& page);
// The process groups of the profile now; null before its first view.
ProcessGroupPolicy* Groups();

// The folder of the profile now (beside the executable).
std::string Folder();

}  // namespace browser_profile
}  // namespace nuvaro
