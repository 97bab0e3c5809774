// What the browser reads of its page: the body markup and title, whether the page has settled,
// and the requests the page starts itself.
#include <webkit2/webkit2.h>

#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/page_script.h"
#include "platform/gtk/browser_profile.h"
#include "platform/gtk/web_browser.h"
#include "services/ui_work_queue.h"

namespace nuvaro {
namespace {

using Clock = std::chrono::steady_clock;

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

// Every request of the page (scripts, fetch, XHR, frames, images) counts until it ends.
void WebBrowser::OnResourceStarted(WebKitWebView*, WebKitWebResource* resource, WebKitURIRequest*,
                                   void* data) {
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
    g_object_weak_ref(
        G_OBJECT(resource), [](void* data, GObject*) { delete static_cast<Resource*>(data); },
        tracked);
}

void WebBrowser::ResourceEnded(uint64_t page) {
    if (page != m_pageGeneration) return;
    if (m_pendingRequests > 0) --m_pendingRequests;
    m_lastRequestEnd = Clock::now();
}

void WebBrowser::ReadPageAs(const PageQuery& query, PageReadDone done) {
    m_reads.push_back({query, std::move(done)});
    SendNextRead();
}

// Reads wait while the page is being opened (again): what they would read is not the page.
void WebBrowser::SendNextRead() {
    if (m_readPending || m_reads.empty() || m_opening || m_reopening) return;
    m_readPending = true;
    const uint64_t generation = m_readGeneration;
    if (!m_native || m_down) {
        // No page was ever opened: the empty document an engine shows before the first one. A
        // page that ran away is not read until it is reloaded.
        const bool ranAway = m_ranAway;
        PostUiWork([this, alive = std::weak_ptr<bool>(m_alive), generation, ranAway] {
            if (alive.expired()) return;
            if (ranAway) return DeliverRead(generation, nullptr, text::kScriptUnresponsive);
            DeliverRead(generation, "B\x01", "");
        });
        return;
    }
    auto* request = new Request{this, m_alive, generation, {}};
    // The read runs in the program's own script world: what the page's scripts put in place of
    // the document's functions, or of the ones the read calls, is not seen there.
    const std::string script = ReadPageScript(m_reads.front().query);
    webkit_web_view_evaluate_javascript(m_native, script.c_str(), -1, browser_profile::kWorld,
                                        nullptr, m_cancel, &WebBrowser::OnScriptDone, request);
}

// The answer arrives as a script value; turning it into GBK markup is left to the work queue,
// one page per turn of the loop.
void WebBrowser::OnScriptDone(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    JSCValue* raw =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
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
    // An answer to a read sent before the process ended: that read was answered already.
    if (generation != m_readGeneration) return;
    m_readPending = false;
    if (m_reads.empty()) return;
    auto done = std::move(m_reads.front().done);
    m_reads.pop_front();
    PageContent page;
    if (utf8) {
        page = ParsePageRead(utf8);
    } else {
        page.error = GbkSafe(failure);
        page.ranAway = m_ranAway && failure == text::kScriptUnresponsive;
    }
    auto alive = m_alive;
    done(std::move(page));
    if (*alive) SendNextRead();
}

// The process ended under the reads: each is told that the page ran away, or that it opens
// again and is to be read once it has.
void WebBrowser::FailReads(bool ranAway) {
    ++m_readGeneration;
    m_readPending = false;
    auto reads = std::move(m_reads);
    m_reads.clear();
    PageContent page;
    page.ranAway = ranAway;
    page.reopened = !ranAway;
    page.error = ranAway ? text::kScriptUnresponsive : text::kWebProcessEnded;
    // Told from the loop: the process ends inside calls that must not see their callers change.
    for (auto& read : reads) {
        PostUiWork([done = std::move(read.done), page, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.expired()) done(page);
        });
    }
}

// Quiet: no request running, none ended in the quiet span, and the document unchanged (the
// helper in the program's own script world tells); a document without the helper counts as
// unchanged. A page being opened (again) is busy.
void WebBrowser::AskQuiet(std::function<void(std::chrono::milliseconds)> done) {
    auto sinceRequest =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_lastRequestEnd);
    if (!m_native || m_pendingRequests > 0 || m_down || m_opening || m_reopening) {
        auto quiet = m_native ? std::chrono::milliseconds(0) : kLongQuiet;
        PostUiWork([done, quiet, alive = std::weak_ptr<bool>(m_alive)] {
            if (!alive.expired()) done(quiet);
        });
        return;
    }
    ++m_questions;
    auto* request = new Request{this, m_alive, 0,
                                [this, done, sinceRequest](std::chrono::milliseconds document) {
                                    --m_questions;
                                    done(std::min(document, sinceRequest));
                                }};
    webkit_web_view_evaluate_javascript(m_native, kSettleSinceChangeScript, -1,
                                        browser_profile::kWorld, nullptr, m_cancel,
                                        &WebBrowser::OnQuietDone, request);
}

// No answer (the process ended meanwhile) counts as busy: the page opens again.
void WebBrowser::OnQuietDone(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Request> request(static_cast<Request*>(data));
    GError* error = nullptr;
    JSCValue* value =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, &error);
    std::chrono::milliseconds quiet{0};
    if (value && jsc_value_is_number(value)) {
        double ms = jsc_value_to_double(value);
        quiet = ms < 0 ? kLongQuiet : std::chrono::milliseconds(static_cast<long long>(ms));
    }
    if (value) g_object_unref(value);
    if (error) g_error_free(error);
    if (request->alive.expired()) return;
    request->quiet(quiet);
}

}  // namespace nuvaro
