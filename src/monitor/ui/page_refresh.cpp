#include "monitor/ui/page_refresh.h"

#include <wx/app.h>

namespace nuvaro {
namespace {

std::chrono::milliseconds g_loadTimeout{30000};
std::chrono::milliseconds g_readTimeout{30000};
constexpr int kPollMs = 100;

}  // namespace

void PageRefresh::SetLoadTimeout(std::chrono::milliseconds timeout) { g_loadTimeout = timeout; }
void PageRefresh::SetReadTimeout(std::chrono::milliseconds timeout) { g_readTimeout = timeout; }

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
    if (m_reading) {
        Result result;
        result.status = Result::Status::ReadTimedOut;
        return Finish(std::move(result));
    }
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
    // The answer may come after the read timed out, or never (the browser destroyed first:
    // the tick is then abandoned); it finds this refresh through a weak reference.
    struct Pending {
        std::weak_ptr<PageRefresh> owner;
        bool answered = false;
        ~Pending() {
            if (answered || !wxTheApp) return;
            wxTheApp->CallAfter([owner = owner] {
                if (auto o = owner.lock()) o->Finish({});
            });
        }
    };
    auto pending = std::make_shared<Pending>();
    pending->owner = m_self;
    m_reading = true;
    m_timer.StartOnce(static_cast<int>(g_readTimeout.count()));
    m_browser->ReadPage([pending](const PageContent& page) {
        pending->answered = true;
        auto owner = pending->owner.lock();
        if (!owner) return;
        Result result;
        result.status = Result::Status::Read;
        result.page = page;
        owner->Finish(std::move(result));
    });
}

void PageRefresh::Finish(Result result) {
    if (!m_self) return;  // finished already
    m_timer.Stop();
    // Released on the next turn of the loop, not inside its own timer's handler.
    std::shared_ptr<PageRefresh> self = std::move(m_self);
    if (wxTheApp) wxTheApp->CallAfter([self] {});
    Done done = std::move(m_done);
    if (done) done(result);
}

}  // namespace nuvaro
