#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/browser_panel.h"
#include "platform/page_engine.h"

class wxWebView;
class wxWebViewEvent;

namespace nuvaro {

// A window's browser on the toolkit's web view (the engine of ThePageEngine()): loads are
// counted from the view's events, so a caller can wait for the load it started; page reads and
// quiet checks are scripts, one at a time, answered later on the UI thread.
class WebViewBrowser : public BrowserPanel {
  public:
    WebViewBrowser(wxWindow* parent, const PageEngine& engine);
    ~WebViewBrowser() override;

    std::string LocationURL() const override;
    std::string LocationUtf8() const override;
    wxString LocationText() const override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    bool IsLoading() const override;
    uint64_t LoadsStarted() const override { return m_loadsStarted; }
    LoadOutcome Outcome(uint64_t load) const override;
    void ReadPageAs(const PageQuery& query, PageReadDone done) override;
    void AskQuiet(std::function<void(std::chrono::milliseconds)> done) override;
    // The engines behind the toolkit's view report no ended processes.
    std::string TakeCrash() override { return {}; }
    void Unstick() override {}
    std::weak_ptr<bool> Liveness() const override { return m_alive; }
    void SetProgressHandler(std::function<void()> handler) override {
        m_onProgress = std::move(handler);
    }

    wxWebView* View() const { return m_view; }

  private:
    struct Script {
        wxString code;
        std::function<void(bool ok, const wxString& result)> done;
    };

    void CreateView(const wxString& url);
    void StartLoad();
    void Finish(LoadOutcome outcome);
    void OnNavigating(wxWebViewEvent& event);
    void OnNavigated(wxWebViewEvent& event);
    void OnLoaded(wxWebViewEvent& event);
    void OnError(wxWebViewEvent& event);
    void OnScriptResult(wxWebViewEvent& event);
    void Progress();
    void RunScript(wxString code, std::function<void(bool, const wxString&)> done);
    void SendNextScript();
    void Answer(uint64_t id, bool ok, const wxString& result);

    PageEngine m_engine;
    wxWebView* m_view = nullptr;
    uint64_t m_loadsStarted = 0;
    bool m_loadOpen = false;       // the last load started has not ended
    bool m_ownNavigation = false;  // the next navigation event is of a load we started
    std::map<uint64_t, LoadOutcome> m_outcomes;
    std::deque<Script> m_scripts;
    uint64_t m_scriptSent = 0;  // id of the script the engine works on, 0 when none
    uint64_t m_nextScript = 1;
    std::function<void()> m_onProgress;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
