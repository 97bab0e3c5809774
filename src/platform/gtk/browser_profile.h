#pragma once

#include <string>

typedef struct _WebKitWebView WebKitWebView;

namespace nuvaro {

// The one browser profile every window shares, like a desktop browser: cookies, local storage,
// IndexedDB and the HTTP cache live in the folder "Browser" beside the executable (cookies are
// written as they are set), nothing under the home folder. Views are made without hardware
// acceleration and with the engine's timers of hidden pages slowed down over time. Windows share
// web processes in groups of kWindowsPerProcess, so thirty windows fit in memory and a crash or
// a runaway script touches at most one group.
namespace browser_profile {

inline constexpr int kWindowsPerProcess = 5;
inline constexpr const char* kFolder = "Browser";
// The script world of the program's own helpers; a page cannot see or change it.
inline constexpr const char* kWorld = "nuvaro";

// A new view for the window of number `window` (its process group is window / 5), in a web
// process of its group when one runs. The caller owns the floating reference.
WebKitWebView* NewView(int window);
// The view is gone: a later view of its group takes another living one as its relative.
void Forget(WebKitWebView* view);

// The folder of the profile now (beside the executable).
std::string Folder();

}  // namespace browser_profile
}  // namespace nuvaro
