#pragma once

#include <memory>
#include <string>

#include "platform/browser_panel.h"

namespace nuvaro {

// The browser of a desktop without a page engine: the panel says so, every load fails at once
// with that reason, and a read finds no document. The address last asked for stays its location,
// so a window that opened its page fails its ticks with that reason like any page that cannot be
// loaded. The program works on without pages.
class NoEngineBrowser : public BrowserPanel {
  public:
    explicit NoEngineBrowser(wxWindow* parent);

    std::string LocationURL() const override;
    std::string LocationUtf8() const override { return m_location; }
    wxString LocationText() const override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    bool IsLoading() const override { return false; }
    uint64_t LoadsStarted() const override { return m_loads; }
    LoadOutcome Outcome(uint64_t load) const override;
    void ReadPageAs(const PageQuery& query, PageReadDone done) override;
    void AskQuiet(std::function<void(std::chrono::milliseconds)> done) override;
    std::string TakeCrash() override { return {}; }
    void Unstick() override {}
    std::weak_ptr<bool> Liveness() const override { return m_alive; }
    void SetProgressHandler(std::function<void()>) override {}

  private:
    uint64_t m_loads = 0;
    std::string m_location;  // UTF-8, as Navigate took it
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro
