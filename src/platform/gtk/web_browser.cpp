#include "platform/gtk/web_browser.h"

#include <webkit2/webkit2.h>
#include <wx/sizer.h>
#include <wx/webview.h>

#include "core/gbk.h"
#include "platform/gtk/ui_work_queue.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

// Title and body in one request: "B" title U+0001 body, or "N" title without a body.
const char* kReadScript =
    "(function(){var t=(document.title||'').replace(/\\u0001/g,'');"
    "var b=document.body;return b?('B'+t+'\\u0001'+b.innerHTML):('N'+t);})()";

constexpr size_t kOutcomesKept = 16;

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

}  // namespace

WebBrowser::WebBrowser(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    SetBackgroundColour(*wxWHITE);
    SetSizer(new wxBoxSizer(wxVERTICAL));
    m_cancel = g_cancellable_new();
}

// Each engine view runs a process of its own: a window gets one when it first opens a page,
// so thirty restored windows cost nothing until they are used. The view starts with that
// page: a blank page of its own would finish loading after it and take its place for a moment.
void WebBrowser::CreateView(const wxString& url) {
    m_view = wxWebView::New(this, wxID_ANY, url);
    GetSizer()->Add(m_view, 1, wxEXPAND);
    Layout();
    m_native = static_cast<WebKitWebView*>(m_view->GetNativeBackend());
    // Pages that name no encoding are read as a Chinese system reads them.
    webkit_settings_set_default_charset(webkit_web_view_get_settings(m_native), "GBK");
    g_signal_connect(m_native, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(m_native, "load-failed", G_CALLBACK(OnLoadFailed), this);
}

WebBrowser::~WebBrowser() {
    *m_alive = false;
    g_cancellable_cancel(m_cancel);
    g_object_unref(m_cancel);
    if (m_native) g_signal_handlers_disconnect_by_data(m_native, this);
}

wxString WebBrowser::LocationText() const {
    if (!m_view) return {};
    wxString url = m_view->GetCurrentURL();
    return url == "about:blank" ? wxString() : url;
}

std::string WebBrowser::LocationURL() const { return ToGbk(LocationText()); }

std::string WebBrowser::LocationUtf8() const { return LocationText().utf8_string(); }

void WebBrowser::Navigate(const std::string& url) {
    const wxString target = FromGbk(HasScheme(url) ? url : "http://" + url);
    if (m_view) {
        m_view->LoadURL(target);
    } else {
        CreateView(target);
    }
}

void WebBrowser::Refresh() {
    if (m_view) m_view->Reload();
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

void WebBrowser::ReadPage(std::function<void(const PageContent&)> done) {
    m_reads.push_back(std::move(done));
    SendNextRead();
}

namespace {

// What an evaluation needs once it answers; the browser may be gone by then.
struct ReadRequest {
    WebBrowser* browser;
    std::weak_ptr<bool> alive;
};

}  // namespace

void WebBrowser::SendNextRead() {
    if (m_readPending || m_reads.empty()) return;
    m_readPending = true;
    if (!m_native) {
        // No page was ever opened: the empty document an engine shows before the first one.
        PostUiWork([this, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.expired()) DeliverRead("B\x01", "");
        });
        return;
    }
    auto* request = new ReadRequest{this, m_alive};
    webkit_web_view_evaluate_javascript(m_native, kReadScript, -1, nullptr, nullptr, m_cancel,
                                        &WebBrowser::OnScriptDone, request);
}

// The answer arrives as a script value; turning it into GBK markup is left to the work queue,
// one page per turn of the loop.
void WebBrowser::OnScriptDone(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<ReadRequest> request(static_cast<ReadRequest*>(data));
    GError* error = nullptr;
    JSCValue* raw = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result,
                                                               &error);
    std::shared_ptr<JSCValue> value(raw, [](JSCValue* v) {
        if (v) g_object_unref(v);
    });
    std::string failure = raw ? "" : error && error->message ? error->message : "script failed";
    if (error) g_error_free(error);
    if (request->alive.expired()) return;
    PostUiWork([browser = request->browser, alive = request->alive, value, failure] {
        if (alive.expired()) return;
        std::unique_ptr<char, decltype(&g_free)> text(
            value ? jsc_value_to_string(value.get()) : nullptr, g_free);
        browser->DeliverRead(text.get(), failure);
    });
}

void WebBrowser::DeliverRead(const char* utf8, const std::string& failure) {
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

}  // namespace nuvaro
