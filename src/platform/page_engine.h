#pragma once

#include <wx/string.h>

class wxWebView;

namespace nuvaro {

// The toolkit web view engine that the web-view browser runs on this desktop: chosen here,
// once, so that another engine (Edge's WebView2 on Windows) can take the place of the first.
struct PageEngine {
    // The web view backend, empty when this desktop has no engine the program can use.
    wxString backend;
    // Whether the engine answers scripts through the script-result event. An engine without it
    // answers the synchronous call directly, without running the event loop meanwhile.
    bool asyncScripts = true;
};

const PageEngine& ThePageEngine();

// Reloads the view's document from the server (not from its cache), so that the engine reports
// the load like any other.
void ReloadFromServer(wxWebView& view);

}  // namespace nuvaro
