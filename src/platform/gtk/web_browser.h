#pragma once

#include <wx/panel.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "monitor/page_source.h"

class wxWebView;
typedef struct _WebKitWebView WebKitWebView;
typedef struct _GObject GObject;
typedef struct _GAsyncResult GAsyncResult;
typedef struct _GCancellable GCancellable;

namespace nuvaro {

// The window's embedded browser: a panel filled by a WebKit view. Loads are counted, so a
// caller can wait for the load it started; page reads are asynchronous, one at a time.
class WebBrowser : public wxPanel, public PageSource {
public:
    explicit WebBrowser(wxWindow* parent);
    ~WebBrowser() override;

    std::string LocationURL() const override;
    std::string LocationUtf8() const override;
    // The same address as widget text.
    wxString LocationText() const;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    bool IsLoading() const override;
    uint64_t LoadsStarted() const override { return m_loadsStarted; }
    LoadOutcome Outcome(uint64_t load) const override;
    // Requests are sent one at a time, in order.
    void ReadPage(std::function<void(const PageContent&)> done) override;

    // Called on the UI thread whenever the loaded address may have changed (load progress).
    void SetProgressHandler(std::function<void()> handler) { m_onProgress = std::move(handler); }

    // The engine's view; null until the first page is opened.
    wxWebView* View() const { return m_view; }
    std::weak_ptr<bool> Liveness() const override { return m_alive; }

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
