#include "platform/gtk/web_browser.h"

#include <webkit2/webkit2.h>
#include <wx/nativewin.h>
#include <wx/sizer.h>

#include "core/gbk.h"
#include "core/texts.h"
#include "platform/gtk/browser_profile.h"
#include "platform/gtk/ui_work_queue.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::steady_clock;

// Title and body in one request: "B" title U+0001 body, or "N" title without a body.
const char* kReadScript =
    "(function(){var t=(document.title||'').replace(/\\u0001/g,'');"
    "var b=document.body;return b?('B'+t+'\\u0001'+b.innerHTML):('N'+t);})()";
// Milliseconds since the document last changed; -1 where the helper is missing.
const char* kQuietScript = "window.__nuvaroQuietMs?window.__nuvaroQuietMs():-1";

constexpr size_t kOutcomesKept = 16;
constexpr std::chrono::milliseconds kLongQuiet{60000};

bool HasScheme(const std::string& url) {
    if (url.find("://") != std::string::npos) return true;
    for (const char* prefix : {"about:", "data:", "file:", "javascript:"}) {
        if (url.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

PageContent ParseRead(std::string_view utf8) {
    PageContent page;
    std::string text = Utf8ToGbk(utf8);
    if (text.empty() || (text[0] != 'B' && text[0] != 'N')) {
        page.error = "unexpected page read result";
        return page;
    }
    page.ok = true;
    page.hasBody = text[0] == 'B';
    size_t sep = page.hasBody ? text.find('\x01') : std::string::npos;
    page.title = text.substr(1, sep == std::string::npos ? std::string::npos : sep - 1);
    if (sep != std::string::npos) page.body = text.substr(sep + 1);
    return page;
}

// What an answer of the engine needs; the browser may be gone by then.
struct Request {
    WebBrowser* browser;
    std::weak_ptr<bool> alive;
    uint64_t generation = 0;
    std::function<void(std::chrono::milliseconds)> quiet;
};

// One request of the page: it counts until it ends, once, unless a newer document came.
struct Resource {
    WebBrowser* browser;
    std::weak_ptr<bool> alive;
    uint64_t page;
    bool ended = false;
};

}  // namespace

WebBrowser::WebBrowser(wxWindow* parent, int window) : wxPanel(parent, wxID_ANY), m_window(window) {
    SetBackgroundColour(*wxWHITE);
    SetSizer(new wxBoxSizer(wxVERTICAL));
    m_cancel = g_cancellable_new();
}

// A window gets its view when it first opens a page, so thirty restored windows cost nothing
// until they are used; the view starts with that page.
void WebBrowser::CreateView(const std::string& uri) {
    m_native = browser_profile::NewView(m_window);
    m_host = new wxNativeWindow(this, wxID_ANY, GTK_WIDGET(m_native));
    GetSizer()->Add(m_host, 1, wxEXPAND);
    Layout();
    g_signal_connect(m_native, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(m_native, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(m_native, "resource-load-started", G_CALLBACK(OnResourceStarted), this);
    g_signal_connect(m_native, "web-process-terminated", G_CALLBACK(OnProcessEnded), this);
    webkit_web_view_load_uri(m_native, uri.c_str());
}

WebBrowser::~WebBrowser() {
    *m_alive = false;
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_native) {
        g_signal_handlers_disconnect_by_data(m_native, this);
        browser_profile::Forget(m_native);
    }
}

// The view forgets its address when its web process ends; the browser remembers it.
wxString WebBrowser::LocationText() const {
    const char* uri = m_native ? webkit_web_view_get_uri(m_native) : nullptr;
    std::string_view address = uri ? std::string_view(uri) : std::string_view(m_lastUri);
    if (address.empty() || address == "about:blank") return {};
    return wxString::FromUTF8(address.data(), address.size());
}

std::string WebBrowser::LocationURL() const { return ToGbk(LocationText()); }

std::string WebBrowser::LocationUtf8() const { return LocationText().utf8_string(); }

void WebBrowser::Navigate(const std::string& url) {
    const std::string target = GbkToUtf8(HasScheme(url) ? url : "http://" + url);
    if (m_native) {
        webkit_web_view_load_uri(m_native, target.c_str());
    } else {
        CreateView(target);
    }
}

void WebBrowser::Refresh() {
    if (m_native) webkit_web_view_reload(m_native);
}

bool WebBrowser::IsLoading() const { return m_native && webkit_web_view_is_loading(m_native); }

LoadOutcome WebBrowser::Outcome(uint64_t load) const {
    auto it = m_outcomes.find(load);
    if (it != m_outcomes.end()) return it->second;
    LoadOutcome forgotten;
    forgotten.finished = load <= m_loadsStarted;
    return forgotten;
}

void WebBrowser::Remember(uint64_t load, LoadOutcome outcome) {
    m_outcomes[load] = std::move(outcome);
    while (m_outcomes.size() > kOutcomesKept) m_outcomes.erase(m_outcomes.begin());
}

int WebBrowser::HttpStatus() const {
    WebKitWebResource* resource = m_native ? webkit_web_view_get_main_resource(m_native) : nullptr;
    WebKitURIResponse* response = resource ? webkit_web_resource_get_response(resource) : nullptr;
    return response ? static_cast<int>(webkit_uri_response_get_status_code(response)) : 0;
}

void WebBrowser::OnLoadChanged(WebKitWebView*, int event, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    if (event == WEBKIT_LOAD_STARTED) {
        self->Remember(++self->m_loadsStarted, LoadOutcome{});
    } else if (event == WEBKIT_LOAD_COMMITTED) {
        // A new document: requests of the one before no longer hold it up.
        ++self->m_pageGeneration;
        self->m_pendingRequests = 0;
        LoadOutcome outcome = self->Outcome(self->m_loadsStarted);
        outcome.committed = true;
        self->Remember(self->m_loadsStarted, outcome);
    } else if (event == WEBKIT_LOAD_FINISHED) {
        LoadOutcome outcome = self->Outcome(self->m_loadsStarted);
        int status = self->HttpStatus();
        if (!outcome.failed && status >= 400) {
            outcome.failed = true;
            outcome.error = "HTTP " + std::to_string(status);
        }
        outcome.finished = true;
        self->Remember(self->m_loadsStarted, outcome);
    }
    if (const char* uri = webkit_web_view_get_uri(self->m_native)) self->m_lastUri = uri;
    if (event != WEBKIT_LOAD_STARTED && self->m_onProgress) self->m_onProgress();
}

int WebBrowser::OnLoadFailed(WebKitWebView*, int, char*, void* error, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    auto* gerror = static_cast<GError*>(error);
    // A load cut short by a newer one is not a failure: the newer one tells.
    bool cancelled = gerror && g_error_matches(gerror, WEBKIT_NETWORK_ERROR,
                                               WEBKIT_NETWORK_ERROR_CANCELLED);
    if (!cancelled) {
        LoadOutcome outcome;
        outcome.finished = true;
        outcome.failed = true;
        outcome.error = Utf8ToGbk(gerror && gerror->message ? gerror->message : "load failed");
        self->Remember(self->m_loadsStarted, outcome);
    }
    return FALSE;
}

// Every request of the page (scripts, fetch, XHR, frames, images) counts until it ends.
void WebBrowser::OnResourceStarted(WebKitWebView*, WebKitWebResource* resource,
                                   WebKitURIRequest*, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    ++self->m_pendingRequests;
    auto* tracked = new Resource{self, self->m_alive, self->m_pageGeneration};
    auto ended = +[](WebKitWebResource*, void* data) {
        auto* r = static_cast<Resource*>(data);
        if (r->ended || r->alive.expired()) return;
        r->ended = true;
        r->browser->ResourceEnded(r->page);
    };
    auto failed = +[](WebKitWebResource*, GError*, void* data) {
        auto* r = static_cast<Resource*>(data);
        if (r->ended || r->alive.expired()) return;
        r->ended = true;
        r->browser->ResourceEnded(r->page);
    };
    g_signal_connect(resource, "finished", G_CALLBACK(ended), tracked);
    g_signal_connect(resource, "failed", G_CALLBACK(failed), tracked);
    g_object_weak_ref(G_OBJECT(resource), [](void* data, GObject*) {
        delete static_cast<Resource*>(data);
    }, tracked);
}

void WebBrowser::ResourceEnded(uint64_t page) {
    if (page != m_pageGeneration) return;
    if (m_pendingRequests > 0) --m_pendingRequests;
    m_lastRequestEnd = Clock::now();
}

// The view's web process ended (a crash, too much memory, or ended on purpose): what waited
// for it fails now, the page opens again, and a crash is told once to the next read.
void WebBrowser::OnProcessEnded(WebKitWebView*, int reason, void* data) {
    auto* self = static_cast<WebBrowser*>(data);
    const std::string why = text::kWebProcessEnded;
    bool told = false;
    LoadOutcome current = self->Outcome(self->m_loadsStarted);
    if (self->m_loadsStarted > 0 && !current.finished) {
        current.finished = current.failed = true;
        current.error = Utf8ToGbk(why);
        self->Remember(self->m_loadsStarted, current);
        told = true;
    }
    ++self->m_readGeneration;
    if (self->m_readPending) {
        self->DeliverRead(self->m_readGeneration, nullptr, why);
        told = true;
    }
    if (!told && reason != WEBKIT_WEB_PROCESS_TERMINATED_BY_API) self->m_crash = why;
    self->m_pendingRequests = 0;
    RunSoon([self, alive = std::weak_ptr<bool>(self->m_alive)] {
        if (!alive.expired()) self->Reopen();
    });
}

void WebBrowser::Reopen() {
    // A reload would take the view out of its process group.
    if (!m_lastUri.empty()) webkit_web_view_load_uri(m_native, m_lastUri.c_str());
}

std::string WebBrowser::TakeCrash() { return std::exchange(m_crash, {}); }

void WebBrowser::Unstick() {
    if (m_native) webkit_web_view_terminate_web_process(m_native);
}

void WebBrowser::ReadPage(std::function<void(const PageContent&)> done) {
    m_reads.push_back(std::move(done));
    SendNextRead();
}

void WebBrowser::SendNextRead() {
    if (m_readPending || m_reads.empty()) return;
    m_readPending = true;
    const uint64_t generation = m_readGeneration;
    if (!m_native) {
        // No page was ever opened: the empty document an engine shows before the first one.
        PostUiWork([this, alive = std::weak_ptr<bool>(m_alive), generation] {
            if (!alive.expired()) DeliverRead(generation, "B\x01", "");
        });
        return;
    }
    auto* request = new Request{this, m_alive, generation, {}};
    webkit_web_view_evaluate_javascript(m_native, kReadScript, -1, nullptr, nullptr, m_cancel,
                                        &WebBrowser::OnScriptDone, request);
}

// The answer arrives as a script value; turning it into GBK markup is left to the work queue,
// one page per turn of the loop.
void WebBrowser::OnScriptDone(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    JSCValue* raw = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result,
                                                               &error);
    std::shared_ptr<JSCValue> value(raw, [](JSCValue* v) {
        if (v) g_object_unref(v);
    });
    std::string failure = raw ? "" : error && error->message ? error->message : "script failed";
    if (error) g_error_free(error);
    if (request->alive.expired()) return;
    PostUiWork([browser = request->browser, alive = request->alive,
                generation = request->generation, value, failure] {
        if (alive.expired()) return;
        std::unique_ptr<char, decltype(&g_free)> text(
            value ? jsc_value_to_string(value.get()) : nullptr, g_free);
        browser->DeliverRead(generation, text.get(), failure);
    });
}

void WebBrowser::DeliverRead(uint64_t generation, const char* utf8, const std::string& failure) {
    // An answer to a read sent before the process ended: that read was failed already.
    if (generation != m_readGeneration) return;
    m_readPending = false;
    if (m_reads.empty()) return;
    auto done = std::move(m_reads.front());
    m_reads.pop_front();
    PageContent page;
    if (utf8) {
        page = ParseRead(utf8);
    } else {
        page.error = Utf8ToGbk(failure);
    }
    auto alive = m_alive;
    done(page);
    if (*alive) SendNextRead();
}

// Quiet: no request running, none ended in the quiet span, and the document unchanged (the
// helper in the program's own script world tells); a document without the helper counts as
// unchanged.
void WebBrowser::AskQuiet(std::function<void(std::chrono::milliseconds)> done) {
    auto sinceRequest = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                              m_lastRequestEnd);
    if (!m_native || m_pendingRequests > 0) {
        auto quiet = m_native ? std::chrono::milliseconds(0) : kLongQuiet;
        PostUiWork([done, quiet, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.expired()) done(quiet);
        });
        return;
    }
    auto* request = new Request{this, m_alive, 0,
                                [done, sinceRequest](std::chrono::milliseconds document) {
                                    done(std::min(document, sinceRequest));
                                }};
    webkit_web_view_evaluate_javascript(m_native, kQuietScript, -1, browser_profile::kWorld,
                                        nullptr, m_cancel, &WebBrowser::OnQuietDone, request);
}

void WebBrowser::OnQuietDone(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result,
                                                                 &error);
    double ms = -1;
    if (value && jsc_value_is_number(value)) ms = jsc_value_to_double(value);
    if (value) g_object_unref(value);
    if (error) g_error_free(error);
    if (request->alive.expired()) return;
    auto quiet = ms < 0 ? kLongQuiet : std::chrono::milliseconds(static_cast<long long>(ms));
    request->quiet(quiet);
}

}  // namespace nuvaro
