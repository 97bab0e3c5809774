#include "monitor/page_reader.h"

namespace nuvaro {
namespace {

// A page opened again more often than this within one read is read as it stands.
constexpr int kMostRestarts = 2;

}  // namespace

PageReader::PageReader(PageSource& source, EngineClock& clock, Timeouts timeouts)
    : m_source(&source),
      m_sourceAlive(source.Liveness()),
      m_clock(clock),
      m_timeouts(timeouts),
      m_timer(clock),
      m_self(std::make_shared<PageReader*>(this)) {}

PageReader::~PageReader() { *m_self = nullptr; }

void PageReader::Start(Reload how, const std::string& url, std::chrono::milliseconds pause,
                       Done done, std::function<void()> loaded) {
    m_done = std::move(done);
    m_loaded = std::move(loaded);
    m_started = m_clock.Now();
    m_loadsBefore = m_source->LoadsStarted();
    if (how == Reload::Refresh) m_source->Refresh();
    if (how == Reload::Navigate) m_source->Navigate(url);
    m_reloaded = how != Reload::None;
    m_timer.Start(pause, [this] { OnTimer(); });
}

// The load that tells how the reload came out: the first from the one asked for on that was
// not cut short by a newer one (or by its process ending, when the page opens again). Loads
// after it (an error page, a page that goes on elsewhere) do not change its outcome.
uint64_t PageReader::Telling() const {
    const uint64_t started = m_source->LoadsStarted();
    for (uint64_t load = m_loadsBefore + 1; load < started; ++load) {
        LoadOutcome outcome = m_source->Outcome(load);
        if (!outcome.finished || (!outcome.superseded && !outcome.reopened)) return load;
    }
    return started;
}

bool PageReader::StillLoading() const {
    if (!m_reloaded) return false;
    if (m_source->LoadsStarted() <= m_loadsBefore) {
        // Not even started yet; a browser without a document has nothing to reload.
        return m_source->IsLoading() || !m_source->LocationURL().empty();
    }
    return !m_source->Outcome(Telling()).finished || m_source->IsLoading();
}

// No load since the reload began a new document: the server has not answered at all.
bool PageReader::Unanswered() const {
    if (!m_reloaded) return false;
    for (uint64_t load = m_loadsBefore + 1; load <= m_source->LoadsStarted(); ++load) {
        if (m_source->Outcome(load).committed) return false;
    }
    return true;
}

void PageReader::OnTimer() {
    if (m_sourceAlive.expired()) return Finish({});
    if (m_phase == Phase::Reading) {
        PageSource* source = m_source;
        std::weak_ptr<bool> alive = m_sourceAlive;
        Finish(Result::Status::ReadTimedOut);  // may destroy this reader
        if (!alive.expired()) source->Unstick();
        return;
    }
    if (m_phase == Phase::Settling) return Settle();
    bool timedOut = m_clock.Now() - m_started >= m_timeouts.load;
    bool loading = StillLoading();
    if (loading && !timedOut) return m_timer.Start(m_timeouts.poll, [this] { OnTimer(); });
    Loaded();
    // What the browser shows then is still the page from before: it is read only to learn that
    // the page's process answers (a stuck one is freed when the read times out), never judged.
    m_unanswered = loading && Unanswered();
    if (m_reloaded && m_source->LoadsStarted() > m_loadsBefore) {
        LoadOutcome outcome = m_source->Outcome(Telling());
        m_httpStatus = outcome.httpStatus;
        m_retryAfter = outcome.retryAfter;
        if (outcome.ranAway) return Finish(Result::Status::Unresponsive);
        if (outcome.failed) {
            Result result;
            result.status = Result::Status::LoadFailed;
            result.error = outcome.error;
            return Finish(std::move(result));
        }
    }
    // Nothing reloaded, nothing to wait for, or waited long enough already: read the page as it
    // stands.
    if (!m_reloaded || m_source->LocationURL().empty() || loading) return Read();
    m_phase = Phase::Settling;
    m_settleUntil = m_clock.Now() + m_timeouts.settle;
    Settle();
}

void PageReader::Loaded() {
    auto loaded = std::move(m_loaded);
    m_loaded = nullptr;
    if (loaded) loaded();
}

// The page is loading again (opened again after its process ended, or gone on to another
// document): wait for it as for a reload, with fresh bounds a few times.
void PageReader::WaitAgain() {
    m_phase = Phase::Loading;
    m_reloaded = true;
    m_loadsBefore = std::min(m_loadsBefore, m_source->LoadsStarted());
    if (m_restarts++ < kMostRestarts) m_started = m_clock.Now();
    m_timer.Start(m_timeouts.poll, [this] { OnTimer(); });
}

// Asks whether the page has been quiet long enough; a page that never is, is read at the bound.
void PageReader::Settle() {
    if (m_source->IsLoading()) return WaitAgain();
    if (m_clock.Now() >= m_settleUntil) return Read();
    m_timer.Start(m_timeouts.settlePoll, [this] { OnTimer(); });
    if (m_asking) return;
    m_asking = true;
    m_source->AskQuiet(
        [self = std::weak_ptr<PageReader*>(m_self)](std::chrono::milliseconds quiet) {
            auto owner = self.lock();
            if (!owner || !*owner) return;
            PageReader& reader = **owner;
            reader.m_asking = false;
            if (reader.m_phase == Phase::Settling && quiet >= reader.m_timeouts.quiet &&
                !reader.m_source->IsLoading()) {
                reader.Read();
            }
        });
}

void PageReader::Read() {
    if (m_source->LocationURL().empty()) {
        // No page was ever opened: there is no document to read.
        return Finish(Result::Status::NoDocument);
    }
    m_phase = Phase::Reading;
    m_timer.Start(m_timeouts.read, [this] { OnTimer(); });
    // The answer may come after the read timed out or this reader is gone: it is then dropped.
    m_source->ReadPageAs(m_query, [self = std::weak_ptr<PageReader*>(m_self)](PageContent page) {
        auto owner = self.lock();
        if (!owner || !*owner || (*owner)->m_phase != Phase::Reading || !(*owner)->m_done) return;
        PageReader& reader = **owner;
        if (page.ranAway) return reader.Finish(Result::Status::Unresponsive);
        if (page.reopened) return reader.WaitAgain();
        Result result;
        result.status = reader.m_unanswered ? Result::Status::NoAnswer : Result::Status::Read;
        if (!reader.m_unanswered) result.page = std::move(page);
        reader.Finish(std::move(result));
    });
}

void PageReader::Finish(Result::Status status) {
    Result result;
    result.status = status;
    Finish(std::move(result));
}

void PageReader::Finish(Result result) {
    m_timer.Stop();
    result.httpStatus = m_httpStatus;
    result.retryAfter = m_retryAfter;
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done) done(result);  // may destroy this reader
}

}  // namespace nuvaro
