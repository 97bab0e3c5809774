#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

class wxWebView;
typedef struct _WebKitWebView WebKitWebView;
typedef struct _GObject GObject;
typedef struct _GAsyncResult GAsyncResult;
typedef struct _GCancellable GCancellable;

namespace nuvaro {

// How a load of the page ended.
struct LoadOutcome {
    bool finished = false;  // false while it runs
    bool failed = false;
    std::string error;  // GBK; the engine's message, or "HTTP <status>"
};

// What a page read returns: the body markup and the title, GBK (what GBK cannot hold is "?").
struct PageContent {
    bool ok = false;
    bool hasBody = false;
    std::string body;
    std::string title;
    std::string error;  // GBK, when !ok
};

// The window's embedded browser: a panel filled by a WebKit view. Loads are counted, so a
// caller can wait for the load it started; page reads are asynchronous, one at a time.
class WebBrowser : public wxPanel {
public:
    explicit WebBrowser(wxWindow* parent);
    ~WebBrowser() override;

    // Address of the loaded document, GBK; empty when nothing was ever loaded.
    std::string LocationURL() const;
    // The same address as the engine reports it (no conversion).
    wxString LocationText() const;
    // Starts loading `url` (GBK); an address without a scheme is taken as http.
    void Navigate(const std::string& url);
    // Starts reloading the current document.
    void Refresh();
    bool IsLoading() const;

    // Number of loads started so far; the outcome of load k (1-based) while it is remembered.
    uint64_t LoadsStarted() const { return m_loadsStarted; }
    LoadOutcome Outcome(uint64_t load) const;

    // Reads the body markup and the title of the live document; `done` runs later on the UI
    // thread, never after the browser is gone. Requests are sent one at a time, in order.
    void ReadPage(std::function<void(const PageContent&)> done);

    // Called on the UI thread whenever the loaded address may have changed (load progress).
    void SetProgressHandler(std::function<void()> handler) { m_onProgress = std::move(handler); }

    // The engine's view; null until the first page is opened.
    wxWebView* View() const { return m_view; }
    // Expires when the browser is destroyed.
    std::weak_ptr<bool> Liveness() const { return m_alive; }

private:
    void CreateView(const wxString& url);
    static void OnLoadChanged(WebKitWebView* view, int event, void* self);
    static int OnLoadFailed(WebKitWebView* view, int event, char* uri, void* error, void* self);
    static void OnScriptDone(GObject* source, GAsyncResult* result, void* data);
    void DeliverRead(const char* utf8, const std::string& failure);
    void SendNextRead();
    void Remember(uint64_t load, LoadOutcome outcome);
    int HttpStatus() const;

    wxWebView* m_view = nullptr;
    WebKitWebView* m_native = nullptr;
    GCancellable* m_cancel = nullptr;
    uint64_t m_loadsStarted = 0;
    std::map<uint64_t, LoadOutcome> m_outcomes;
    std::deque<std::function<void(const PageContent&)>> m_reads;
    bool m_readPending = false;
    std::function<void()> m_onProgress;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
