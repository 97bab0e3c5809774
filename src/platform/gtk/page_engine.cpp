#include "platform/page_engine.h"

#include <wx/webview.h>

namespace nuvaro {

const PageEngine& ThePageEngine() {
    static const PageEngine engine{
        wxWebView::IsBackendAvailable(wxWebViewBackendWebKit) ? wxWebViewBackendWebKit : "", true};
    return engine;
}

void ReloadFromServer(wxWebView& view) { view.Reload(wxWEBVIEW_RELOAD_NO_CACHE); }

}  // namespace nuvaro
