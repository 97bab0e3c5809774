#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "monitor/load_ledger.h"
#include "monitor/process_group_policy.h"
#include "platform/browser_panel.h"

class wxNativeWindow;
typedef struct _WebKitWebView WebKitWebView;
typedef struct _WebKitWebResource WebKitWebResource;
typedef struct _WebKitURIRequest WebKitURIRequest;
typedef struct _GObject GObject;
typedef struct _GAsyncResult GAsyncResult;
typedef struct _GCancellable GCancellable;

namespace nuvaro {

// The window's embedded browser: a panel filled by a WebKit view of the program's shared
// profile. Loads are counted, so a caller can wait for the load it started; the requests a page
// starts itself are counted too, so a caller can wait for it to settle; page reads are
// asynchronous, one at a time. When the view's web process ends, the page opens again (a page
// that ran away waits for its next reload), and what waited for it is told.
class WebBrowser : public BrowserPanel, private GroupedPage {
  public:
    // `window`: the number of the monitoring window, which picks the web process it shares.
    WebBrowser(wxWindow* parent, int window);
    ~WebBrowser() override;

    std::string LocationURL() const override;
    std::string LocationUtf8() const override;
    // The same address as widget text.
    wxString LocationText() const override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    bool IsLoading() const override;
    uint64_t LoadsStarted() const override { return m_loads.Started(); }
    LoadOutcome Outcome(uint64_t load) const override { return m_loads.Outcome(load); }
    // Requests are sent one at a time, in order.
    void ReadPageAs(const PageQuery& query, PageReadDone done) override;
    void AskQuiet(std::function<void(std::chrono::milliseconds)> done) override;
    std::string TakeCrash() override;
    void Unstick() override;

    // Called on the UI thread whenever the loaded address may have changed (load progress).
    void SetProgressHandler(std::function<void()> handler) override {
        m_onProgress = std::move(handler);
    }
    // Called once for every load that has ended, with its number.
    void SetLoadEndedHandler(std::function<void(uint64_t)> handler) {
        m_loads.onEnded = std::move(handler);
    }

    // The engine's view; null until the first page is opened.
    WebKitWebView* Native() const { return m_native; }
    // Requests of the page still running.
    int PendingRequests() const { return m_pendingRequests; }
    // The page runs in a web process of its own (it, or a page it shared a process with, ran
    // away).
    bool Alone() const;
    std::weak_ptr<bool> Liveness() const override { return m_alive; }

  private:
    struct EndPlan {
        bool ranAway = false;
        bool alone = false;
    };

    // GroupedPage
    void EndingProcess(bool ranAway, bool alone) override;
    bool Busy() const override;
    bool HasProcess() const override { return !m_down; }
    void Tend() override;

    void CreateView();
    void OpenFirst();
    void OpenWhenReady();
    void Open();
    void Load();
    void Ask(bool reload);
    void ReloadAlone();
    static void OnLoadChanged(WebKitWebView* view, int event, void* self);
    static int OnLoadFailed(WebKitWebView* view, int event, char* uri, void* error, void* self);
    static void OnResourceStarted(WebKitWebView* view, WebKitWebResource* resource,
                                  WebKitURIRequest* request, void* self);
    static void OnProcessEnded(WebKitWebView* view, int reason, void* self);
    static void OnScriptDone(GObject* source, GAsyncResult* result, void* data);
    static void OnQuietDone(GObject* source, GAsyncResult* result, void* data);
    void ProcessEnded(bool crashed, EndPlan plan);
    void ResourceEnded(uint64_t page);
    void Reopen();
    void DeliverRead(uint64_t generation, const char* utf8, const std::string& failure);
    void FailReads(bool ranAway);
    void SendNextRead();
    int HttpStatus(std::string* retryAfter) const;

    int m_window;
    wxNativeWindow* m_host = nullptr;
    WebKitWebView* m_native = nullptr;
    ProcessGroupPolicy* m_groups = nullptr;
    GCancellable* m_cancel = nullptr;
    LoadLedger m_loads;
    bool m_asked = false;  // a load was asked for and has not started yet
    std::chrono::steady_clock::time_point m_askedAt, m_startedAt;
    int m_asksAgain = 0;
    bool m_startedOnce = false, m_committedOnce = false;
    bool m_opening = false;           // a load waits for the web process to be ready
    bool m_reopening = false;         // the page opens again after its process ended
    bool m_down = false;              // the process was ended and nothing opened the page since
    bool m_ranAway = false;           // ... because the page hung it
    std::unique_ptr<EndPlan> m_plan;  // how the process about to be ended on purpose ends
    struct PendingRead {
        PageQuery query;
        PageReadDone done;
    };
    std::deque<PendingRead> m_reads;
    bool m_readPending = false;
    uint64_t m_readGeneration = 0;  // reads sent before the process ended are not answered
    uint64_t m_pageGeneration = 0;  // requests of an earlier document no longer count
    int m_pendingRequests = 0;
    int m_questions = 0;  // quiet questions not answered yet
    std::chrono::steady_clock::time_point m_lastRequestEnd{};
    std::string m_crash;    // an end not told yet (UTF-8)
    std::string m_lastUri;  // the address of the page (UTF-8), kept while its process is down
    std::function<void()> m_onProgress;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
