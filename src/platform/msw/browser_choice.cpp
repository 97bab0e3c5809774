#include <wx/app.h>
#include <wx/filesys.h>
#include <wx/timer.h>

#include "core/texts.h"
#include "platform/browser_panel.h"
#include "platform/page_engine.h"
#include "platform/wx/no_engine_browser.h"
#include "platform/wx/web_view_browser.h"
#include "services/notices.h"
#include "services/services.h"

namespace nuvaro {

namespace {

// Said once, in a box that holds up nothing, over the main window once that is shown (a box
// shown before it would lie behind it). The timer is the process's: it is kept, stopped.
void TellNoEngineOnceShown() {
    auto* timer = new wxTimer;
    timer->Bind(wxEVT_TIMER, [timer](wxTimerEvent&) {
        wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
        if (top && !top->IsShown()) return;
        timer->Stop();
        GetNotices().PostBox(Notices::Owner::MainWindow, text::kNoPageEngine, text::kCaptionNotice,
                             Notices::Icon::Information, {});
    });
    timer->Start(200);
}

}  // namespace

BrowserPanel* NewBrowserPanel(wxWindow* parent, int) {
    const PageEngine& engine = ThePageEngine();
    if (!engine.backend.empty()) return new WebViewBrowser(parent, engine);
    // Said once; the windows show it too.
    static bool told = false;
    if (!told) {
        told = true;
        TellNoEngineOnceShown();
    }
    return new NoEngineBrowser(parent);
}

std::string LocalFileAddress(const std::string& nativePath) {
    return wxFileSystem::FileNameToURL(wxFileName(wxString::FromUTF8(nativePath))).utf8_string();
}

}  // namespace nuvaro
