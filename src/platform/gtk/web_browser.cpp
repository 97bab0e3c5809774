#include "platform/gtk/web_browser.h"

#include <webkit2/webkit2.h>
#include <wx/nativewin.h>
#include <wx/sizer.h>

#include "core/date_time.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/failure_page.h"
#include "monitor/load_reason.h"
#include "monitor/page_script.h"
#include "platform/gtk/browser_profile.h"
#include "services/ui_work_queue.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The engine now and then drops a load asked for (seen with views made together, and with
// reloads asked while a load has no document yet): such a load is asked for again.
constexpr auto kStartWithin = 5s;           // a load asked for has started by then
constexpr auto kAdoptWithin = 5s;           // a load younger than this stands for a reload
constexpr auto kFirstDocumentWithin = 10s;  // a new view's first load has its document
constexpr int kMostAsksAgain = 2;
constexpr size_t kRetryAfterBytes = 100;

// A load the engine gave up for a newer one, or for a decision of its own (a download), is no
// failure of the page.
bool CutShort(const GError* error) {
    return error && (g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
                     g_error_matches(error, WEBKIT_POLICY_ERROR,
                                     WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE));
}

}  // namespace

WebBrowser::WebBrowser(wxWindow* parent, int window) : BrowserPanel(parent), m_window(window) {
    SetBackgroundColour(*wxWHITE);
    SetSizer(new wxBoxSizer(wxVERTICAL));
    m_cancel = g_cancellable_new();
}

// A window gets its view when it first opens a page, so thirty restored windows cost nothing
// until they are used.
void WebBrowser::CreateView() {
    m_native = browser_profile::NewView(*this, m_window);
    m_groups = browser_profile::Groups();
    m_host = new wxNativeWindow(this, wxID_ANY, GTK_WIDGET(m_native));
    GetSizer()->Add(m_host, 1, wxEXPAND);
    Layout();
    g_signal_connect(m_native, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(m_native, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(m_native, "resource-load-started", G_CALLBACK(OnResourceStarted), this);
    g_signal_connect(m_native, "web-process-terminated", G_CALLBACK(OnProcessEnded), this);
}

WebBrowser::~WebBrowser() {
    *m_alive = false;
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_native) {
        g_signal_handlers_disconnect_by_data(m_native, this);
        browser_profile::Forget(*this);
    }
}

// The view forgets its address when its web process ends; the browser remembers it.
wxString WebBrowser::LocationText() const {
    const char* uri =
        m_native && !m_down && !m_opening ? webkit_web_view_get_uri(m_native) : nullptr;
    std::string_view address = uri && *uri ? std::string_view(uri) : std::string_view(m_lastUri);
    if (address.empty() || address == "about:blank") return {};
    return wxString::FromUTF8(address.data(), address.size());
}

std::string WebBrowser::LocationURL() const { return GbkSafe(LocationText().utf8_string()); }

std::string WebBrowser::LocationUtf8() const { return LocationText().utf8_string(); }

bool WebBrowser::Alone() const { return m_groups && m_groups->Alone(*this); }

void WebBrowser::Navigate(const std::string& url) {
    m_lastUri = HasScheme(url) ? url : "http://" + url;
    if (m_opening) return;  // the open on its way takes the new address
    if (!m_native) return OpenFirst();
    if (m_down) m_groups->Returned(*this);  // a new start, in the group's process
    if (!m_down && !m_reopening) return Load();
    m_reopening = false;
    OpenWhenReady();
}

// The view is made once its group's process answers, and opens the page at once.
void WebBrowser::OpenFirst() {
    m_opening = true;
    browser_profile::WhenReady(m_window, [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.expired() || m_native) return;
        CreateView();
        Open();
    });
}

void WebBrowser::OpenWhenReady() {
    m_opening = true;
    m_groups->WhenReady(*this, [this, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired() && m_opening) Open();
    });
}

// Opens the page once its process answers: pages opened into a process still starting may
// never load.
void WebBrowser::Open() {
    m_opening = false;
    m_down = m_ranAway = false;
    if (!m_lastUri.empty()) Load();
    SendNextRead();
}

void WebBrowser::Load() {
    m_asksAgain = 0;
    Ask(false);
}

void WebBrowser::Ask(bool reload) {
    m_asked = true;
    m_askedAt = Clock::now();
    if (reload) {
        webkit_web_view_reload(m_native);
    } else {
        webkit_web_view_load_uri(m_native, m_lastUri.c_str());
    }
}

// A reload asked before a load asked for has started, or while a young load has not received
// its document, would be dropped by the engine, or would drop that load: the load stands for
// it. An older one is given up for a new load of the page. A page being opened again needs no
// reload.
void WebBrowser::Refresh() {
    if (!m_native || m_opening || m_reopening) return;
    if (m_down) return ReloadAlone();
    const auto now = Clock::now();
    if (m_asked && webkit_web_view_is_loading(m_native) && now - m_askedAt < kStartWithin) return;
    if (m_loads.Provisional() && now - m_startedAt < kAdoptWithin) return m_loads.Adopt();
    if (m_loads.Provisional()) return Load();
    m_asksAgain = 0;
    Ask(true);
}

// Asks again for a load the engine dropped: one that never started, or a new view's first load
// that never got its document.
void WebBrowser::Tend() {
    if (!m_native || m_asksAgain >= kMostAsksAgain || m_lastUri.empty()) return;
    const auto now = Clock::now();
    bool unstarted = m_asked && now - m_askedAt > kStartWithin;
    bool stuck =
        !m_committedOnce && m_loads.Provisional() && now - m_startedAt > kFirstDocumentWithin;
    if (!unstarted && !stuck) return;
    ++m_asksAgain;
    Ask(false);
}

// A reload of a view whose process is down asks for a process of its own. A page that never
// got its document has nothing to reload: it opens anew, in its group's process.
void WebBrowser::ReloadAlone() {
    m_down = m_ranAway = false;
    m_asksAgain = 0;
    Ask(true);
    if (webkit_web_view_is_loading(m_native)) return SendNextRead();
    m_asked = false;
    m_groups->Returned(*this);
    OpenWhenReady();
}

bool WebBrowser::IsLoading() const {
    return m_opening || m_reopening || (m_native && webkit_web_view_is_loading(m_native));
}

bool WebBrowser::Busy() const {
    return IsLoading() || m_readPending || !m_reads.empty() || m_questions > 0;
}

// The status of the page's document and its Retry-After header (cut to a sane length: a
// stranger's text).
int WebBrowser::HttpStatus(std::string* retryAfter) const {
    WebKitWebResource* resource = m_native ? webkit_web_view_get_main_resource(m_native) : nullptr;
    WebKitURIResponse* response = resource ? webkit_web_resource_get_response(resource) : nullptr;
    if (!response) return 0;
    SoupMessageHeaders* headers = webkit_uri_response_get_http_headers(response);
    const char* value = headers ? soup_message_headers_get_one(headers, "Retry-After") : nullptr;
    if (value) *retryAfter = std::string(value).substr(0, kRetryAfterBytes);
    return static_cast<int>(webkit_uri_response_get_status_code(response));
}

void WebBrowser::OnLoadChanged(WebKitWebView*, int event, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    if (event == WEBKIT_LOAD_STARTED) {
        self->m_asked = false;
        self->m_startedAt = Clock::now();
        self->m_loads.Start();
        if (!std::exchange(self->m_startedOnce, true)) self->m_groups->Started(*self);
    } else if (event == WEBKIT_LOAD_COMMITTED) {
        self->m_committedOnce = true;
        self->m_loads.Commit();
        // A new document: requests of the one before no longer hold it up.
        ++self->m_pageGeneration;
        self->m_pendingRequests = 0;
    } else if (event == WEBKIT_LOAD_FINISHED) {
        std::string retryAfter;
        int status = self->HttpStatus(&retryAfter);
        self->m_loads.Finish(status >= 400 ? "HTTP " + std::to_string(status) : std::string(),
                             status, std::move(retryAfter));
        self->SendNextRead();
    }
    const char* uri = webkit_web_view_get_uri(self->m_native);
    if (uri && *uri) self->m_lastUri = uri;
    if (event != WEBKIT_LOAD_STARTED && self->m_onProgress) self->m_onProgress();
}

// A failed page is told in the pane as in the log, in Chinese, instead of the engine's own
// English page (shown the same way, as a page of its own for the failed address).
int WebBrowser::OnLoadFailed(WebKitWebView*, int, char* failingUri, void* error, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    auto* gerror = static_cast<GError*>(error);
    if (CutShort(gerror)) {
        self->m_loads.Supersede();
        return FALSE;
    }
    const std::string message = gerror && gerror->message ? gerror->message : "load failed";
    self->m_loads.Fail(GbkSafe(message));
    const std::string address = failingUri && *failingUri ? failingUri : self->m_lastUri;
    const std::string page = LoadFailurePage(LoadFailureReason(message), address, NowText());
    webkit_web_view_load_alternate_html(self->m_native, page.c_str(), address.c_str(), nullptr);
    return TRUE;
}

void WebBrowser::EndingProcess(bool ranAway, bool alone) {
    m_plan = std::make_unique<EndPlan>(EndPlan{ranAway, alone});
}

// The view's web process ended: ended on purpose (a runaway page, or its neighbour's), or a
// crash. What waited for it is told now; the page opens again, and a crash is kept for the
// window's next tick.
void WebBrowser::OnProcessEnded(WebKitWebView*, int reason, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    std::unique_ptr<EndPlan> plan = std::move(self->m_plan);
    const bool crashed = !plan && reason != WEBKIT_WEB_PROCESS_TERMINATED_BY_API;
    self->ProcessEnded(crashed, plan ? *plan : EndPlan{});
}

void WebBrowser::ProcessEnded(bool crashed, EndPlan plan) {
    if (crashed) m_crash = text::kWebProcessEnded;
    m_asked = false;
    const bool told = m_loads.Running() || !m_reads.empty();
    LoadOutcome cut;
    cut.reopened = !plan.ranAway;
    cut.ranAway = cut.failed = plan.ranAway;
    if (plan.ranAway) cut.error = text::kScriptUnresponsive;
    m_loads.Cut(cut);
    FailReads(plan.ranAway);
    // Nobody was waiting: the next tick learns that the page ran away.
    if (plan.ranAway && !told) m_crash = text::kScriptUnresponsive;
    m_pendingRequests = 0;
    m_down = true;
    m_ranAway = plan.ranAway;
    // A runaway would hang its new process at once: it waits for the next reload.
    if (plan.ranAway || m_lastUri.empty()) return;
    m_reopening = true;
    RunSoon([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (!alive.expired()) Reopen();
    });
}

// A page alone opens again in a process of its own (a reload asks for one); the others in
// their group's process, once it answers.
void WebBrowser::Reopen() {
    if (!m_reopening) return;
    m_reopening = false;
    if (Alone()) return ReloadAlone();
    OpenWhenReady();
}

std::string WebBrowser::TakeCrash() { return std::exchange(m_crash, {}); }

void WebBrowser::Unstick() {
    if (m_native && m_groups && !m_down) m_groups->Hung(*this);
}

}  // namespace nuvaro
