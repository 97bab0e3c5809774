#include "platform/wx/web_view_browser.h"

#include <wx/app.h>
#include <wx/sizer.h>
#include <wx/webview.h>

#include "core/gbk.h"
#include "monitor/page_script.h"
#include "services/ui_work_queue.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

constexpr size_t kOutcomesKept = 16;

bool IsMainFrame(const wxWebViewEvent& event) { return event.GetTarget().empty(); }

}  // namespace

WebViewBrowser::WebViewBrowser(wxWindow* parent, const PageEngine& engine)
    : BrowserPanel(parent), m_engine(engine) {
    SetBackgroundColour(*wxWHITE);
    SetSizer(new wxBoxSizer(wxVERTICAL));
}

WebViewBrowser::~WebViewBrowser() { *m_alive = false; }

// A window gets its view when it first opens a page: thirty restored windows cost nothing
// until they are used.
void WebViewBrowser::CreateView(const wxString& url) {
    m_view =
        wxWebView::New(this, wxID_ANY, url, wxDefaultPosition, wxDefaultSize, m_engine.backend);
    if (!m_view) return;
    GetSizer()->Add(m_view, 1, wxEXPAND);
    Layout();
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATING, &WebViewBrowser::OnNavigating, this);
    m_view->Bind(wxEVT_WEBVIEW_NAVIGATED, &WebViewBrowser::OnNavigated, this);
    m_view->Bind(wxEVT_WEBVIEW_TITLE_CHANGED, [this](wxWebViewEvent&) { Progress(); });
    m_view->Bind(wxEVT_WEBVIEW_LOADED, &WebViewBrowser::OnLoaded, this);
    m_view->Bind(wxEVT_WEBVIEW_ERROR, &WebViewBrowser::OnError, this);
    m_view->Bind(wxEVT_WEBVIEW_SCRIPT_RESULT, &WebViewBrowser::OnScriptResult, this);
    // A page that opens a window of its own opens it here instead.
    m_view->Bind(wxEVT_WEBVIEW_NEWWINDOW, [this](wxWebViewEvent& event) {
        StartLoad();
        m_view->LoadURL(event.GetURL());
    });
}

wxString WebViewBrowser::LocationText() const {
    wxString url = m_view ? m_view->GetCurrentURL() : wxString();
    return url == "about:blank" ? wxString() : url;
}

std::string WebViewBrowser::LocationURL() const { return FromWidget(LocationText()); }

std::string WebViewBrowser::LocationUtf8() const { return LocationText().utf8_string(); }

void WebViewBrowser::StartLoad() {
    ++m_loadsStarted;
    m_loadOpen = true;
    m_ownNavigation = true;
    m_outcomes[m_loadsStarted] = LoadOutcome{};
    while (m_outcomes.size() > kOutcomesKept) m_outcomes.erase(m_outcomes.begin());
}

void WebViewBrowser::Navigate(const std::string& url) {
    const wxString target = ToWidget(HasScheme(url) ? url : "http://" + url);
    StartLoad();
    if (m_view) {
        m_view->LoadURL(target);
    } else {
        CreateView(target);
        if (!m_view) {
            LoadOutcome failed;
            failed.failed = true;
            failed.error = "cannot create the web view";
            Finish(std::move(failed));
        }
    }
}

void WebViewBrowser::Refresh() {
    if (!m_view) return;
    StartLoad();
    ReloadFromServer(*m_view);
}

bool WebViewBrowser::IsLoading() const { return m_view && (m_loadOpen || m_view->IsBusy()); }

LoadOutcome WebViewBrowser::Outcome(uint64_t load) const {
    auto it = m_outcomes.find(load);
    if (it != m_outcomes.end()) return it->second;
    LoadOutcome forgotten;
    forgotten.finished = load <= m_loadsStarted;
    return forgotten;
}

void WebViewBrowser::Finish(LoadOutcome outcome) {
    if (!m_loadOpen) return;
    m_loadOpen = false;
    outcome.finished = true;
    outcome.committed = outcome.committed || m_outcomes[m_loadsStarted].committed;
    m_outcomes[m_loadsStarted] = std::move(outcome);
}

// A navigation the page started itself (a link, a redirect by script) is a load of its own.
void WebViewBrowser::OnNavigating(wxWebViewEvent& event) {
    if (!IsMainFrame(event)) return;
    if (m_ownNavigation) {
        m_ownNavigation = false;
    } else {
        StartLoad();
        m_ownNavigation = false;
    }
    Progress();
}

// The server answered: a new document began.
void WebViewBrowser::OnNavigated(wxWebViewEvent& event) {
    if (IsMainFrame(event) && m_loadOpen) m_outcomes[m_loadsStarted].committed = true;
    Progress();
}

void WebViewBrowser::OnLoaded(wxWebViewEvent& event) {
    if (!IsMainFrame(event)) return;
    m_ownNavigation = false;
    LoadOutcome loaded;
    loaded.committed = true;
    Finish(std::move(loaded));
    Progress();
}

void WebViewBrowser::OnError(wxWebViewEvent& event) {
    if (!IsMainFrame(event)) return;
    m_ownNavigation = false;
    LoadOutcome failed;
    failed.failed = true;
    failed.error = FromWidget(event.GetString().empty() ? event.GetURL() : event.GetString());
    Finish(std::move(failed));
    Progress();
}

void WebViewBrowser::Progress() {
    if (m_onProgress) m_onProgress();
}

void WebViewBrowser::ReadPageAs(const PageQuery& query, PageReadDone done) {
    if (!m_view) {
        // Nothing opened yet: an empty document, as a fresh browser holds.
        RunSoon([alive = std::weak_ptr<bool>(m_alive), done = std::move(done)] {
            if (!alive.expired()) done(ParsePageRead("B\x01"));
        });
        return;
    }
    RunScript(wxString::FromUTF8(ReadPageScript(query)),
              [done = std::move(done)](bool ok, const wxString& result) {
                  PageContent page;
                  if (ok) {
                      page = ParsePageRead(result.utf8_string());
                  } else {
                      page.error = FromWidget(result);
                  }
                  done(std::move(page));
              });
}

void WebViewBrowser::AskQuiet(std::function<void(std::chrono::milliseconds)> done) {
    if (!m_view) {
        RunSoon([alive = std::weak_ptr<bool>(m_alive), done = std::move(done)] {
            if (!alive.expired()) done(kLongQuiet);
        });
        return;
    }
    RunScript(kSettleScript, [done = std::move(done)](bool ok, const wxString& result) {
        long ms = 0;
        if (!ok || !result.ToLong(&ms) || ms < 0) ms = 0;
        done(std::chrono::milliseconds(ms));
    });
}

void WebViewBrowser::RunScript(wxString code, std::function<void(bool, const wxString&)> done) {
    m_scripts.push_back({std::move(code), std::move(done)});
    if (!m_scriptSent) SendNextScript();
}

// One script at a time, so that an answer never belongs to another request.
void WebViewBrowser::SendNextScript() {
    if (m_scripts.empty()) return;
    const uint64_t id = m_nextScript++;
    m_scriptSent = id;
    const wxString code = m_scripts.front().code;
    if (m_engine.asyncScripts) {
        m_view->RunScriptAsync(code, reinterpret_cast<void*>(static_cast<uintptr_t>(id)));
        return;
    }
    // The synchronous call of such an engine runs no event loop; its answer is handed over on
    // a later turn all the same.
    RunSoon([this, alive = std::weak_ptr<bool>(m_alive), id, code] {
        if (alive.expired()) return;
        wxString result;
        bool ok = m_view->RunScript(code, &result);
        Answer(id, ok, result);
    });
}

void WebViewBrowser::OnScriptResult(wxWebViewEvent& event) {
    auto id = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(event.GetClientData()));
    Answer(id, !event.IsError(), event.GetString());
}

void WebViewBrowser::Answer(uint64_t id, bool ok, const wxString& result) {
    if (id != m_scriptSent || m_scripts.empty()) return;
    Script script = std::move(m_scripts.front());
    m_scripts.pop_front();
    m_scriptSent = 0;
    // The answer is turned into text on a turn of its own; the next script goes out first.
    SendNextScript();
    PostUiWork([alive = std::weak_ptr<bool>(m_alive), done = std::move(script.done), ok, result] {
        if (!alive.expired()) done(ok, result);
    });
}

}  // namespace nuvaro
