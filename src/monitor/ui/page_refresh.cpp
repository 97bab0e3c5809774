#include "monitor/ui/page_refresh.h"

#include <wx/app.h>

namespace nuvaro {
namespace {

std::chrono::milliseconds g_loadTimeout{30000};
constexpr int kPollMs = 100;

}  // namespace

void PageRefresh::SetLoadTimeout(std::chrono::milliseconds timeout) { g_loadTimeout = timeout; }

PageRefresh::PageRefresh(WebBrowser& browser, Done done)
    : m_browser(&browser),
      m_browserAlive(browser.Liveness()),
      m_loadsBefore(browser.LoadsStarted()),
      m_started(std::chrono::steady_clock::now()),
      m_done(std::move(done)) {}

void PageRefresh::Start(WebBrowser& browser, Reload how, const std::string& url, int pauseMs,
                        Done done) {
    std::shared_ptr<PageRefresh> refresh(new PageRefresh(browser, std::move(done)));
    refresh->m_self = refresh;
    if (how == Reload::Refresh) browser.Refresh();
    if (how == Reload::Navigate) browser.Navigate(url);
    refresh->m_reloaded = how != Reload::None;
    refresh->m_timer.Bind(wxEVT_TIMER, [raw = refresh.get()](wxTimerEvent&) { raw->OnTimer(); });
    if (pauseMs > 0) {
        refresh->m_timer.StartOnce(pauseMs);
    } else {
        refresh->Read();
    }
}

bool PageRefresh::StillLoading() const {
    if (!m_reloaded) return false;
    if (m_browser->LoadsStarted() <= m_loadsBefore) return true;  // not even started yet
    return !m_browser->Outcome(m_loadsBefore + 1).finished || m_browser->IsLoading();
}

void PageRefresh::OnTimer() {
    if (m_browserAlive.expired()) return Finish({});
    bool timedOut = std::chrono::steady_clock::now() - m_started >= g_loadTimeout;
    if (StillLoading() && !timedOut) {
        m_timer.StartOnce(kPollMs);
        return;
    }
    if (m_reloaded && m_browser->LoadsStarted() > m_loadsBefore) {
        LoadOutcome outcome = m_browser->Outcome(m_loadsBefore + 1);
        if (outcome.failed) {
            Result result;
            result.status = Result::Status::LoadFailed;
            result.error = outcome.error;
            return Finish(std::move(result));
        }
    }
    Read();
}

void PageRefresh::Read() {
    if (m_browserAlive.expired()) return Finish({});
    // A browser destroyed before it answers drops the request: the tick is then abandoned.
    struct Pending {
        PageRefresh* owner = nullptr;
        bool answered = false;
        ~Pending() {
            if (!answered && owner && wxTheApp) {
                PageRefresh* o = owner;
                wxTheApp->CallAfter([o] { o->Finish({}); });
            }
        }
    };
    auto pending = std::make_shared<Pending>();
    pending->owner = this;
    m_browser->ReadPage([pending](const PageContent& page) {
        pending->answered = true;
        Result result;
        result.status = Result::Status::Read;
        result.page = page;
        pending->owner->Finish(std::move(result));
    });
}

void PageRefresh::Finish(Result result) {
    if (!m_self) return;  // finished already
    // Released on the next turn of the loop, not inside its own timer's handler.
    std::shared_ptr<PageRefresh> self = std::move(m_self);
    if (wxTheApp) wxTheApp->CallAfter([self] {});
    Done done = std::move(m_done);
    if (done) done(result);
}

}  // namespace nuvaro
