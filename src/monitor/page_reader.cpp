#include "monitor/page_reader.h"

namespace nuvaro {

PageReader::PageReader(PageSource& source, EngineClock& clock, Timeouts timeouts)
    : m_source(&source),
      m_sourceAlive(source.Liveness()),
      m_clock(clock),
      m_timeouts(timeouts),
      m_timer(clock),
      m_self(std::make_shared<PageReader*>(this)) {}

PageReader::~PageReader() { *m_self = nullptr; }

void PageReader::Start(Reload how, const std::string& url, std::chrono::milliseconds pause,
                       Done done) {
    m_done = std::move(done);
    m_started = m_clock.Now();
    m_loadsBefore = m_source->LoadsStarted();
    if (how == Reload::Refresh) m_source->Refresh();
    if (how == Reload::Navigate) m_source->Navigate(url);
    m_reloaded = how != Reload::None;
    m_timer.Start(pause, [this] { OnTimer(); });
}

bool PageReader::StillLoading() const {
    if (!m_reloaded) return false;
    if (m_source->LoadsStarted() <= m_loadsBefore) {
        // Not even started yet; a browser without a document has nothing to reload.
        return !m_source->LocationURL().empty();
    }
    return !m_source->Outcome(m_loadsBefore + 1).finished || m_source->IsLoading();
}

void PageReader::OnTimer() {
    if (m_sourceAlive.expired()) return Finish({});
    if (m_reading) {
        Result result;
        result.status = Result::Status::ReadTimedOut;
        return Finish(std::move(result));
    }
    bool timedOut = m_clock.Now() - m_started >= m_timeouts.load;
    if (StillLoading() && !timedOut) return m_timer.Start(m_timeouts.poll, [this] { OnTimer(); });
    if (m_reloaded && m_source->LoadsStarted() > m_loadsBefore) {
        LoadOutcome outcome = m_source->Outcome(m_loadsBefore + 1);
        if (outcome.failed) {
            Result result;
            result.status = Result::Status::LoadFailed;
            result.error = outcome.error;
            return Finish(std::move(result));
        }
    }
    Read();
}

void PageReader::Read() {
    if (m_source->LocationURL().empty()) {
        // No page was ever opened: there is no document to read.
        Result result;
        result.status = Result::Status::NoDocument;
        return Finish(std::move(result));
    }
    m_reading = true;
    m_timer.Start(m_timeouts.read, [this] { OnTimer(); });
    // The answer may come after the read timed out or this reader is gone: it is then dropped.
    m_source->ReadPage([self = std::weak_ptr<PageReader*>(m_self)](const PageContent& page) {
        auto owner = self.lock();
        if (!owner || !*owner || !(*owner)->m_reading) return;
        Result result;
        result.status = Result::Status::Read;
        result.page = page;
        (*owner)->Finish(std::move(result));
    });
}

void PageReader::Finish(Result result) {
    m_reading = false;
    m_timer.Stop();
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done) done(result);  // may destroy this reader
}

}  // namespace nuvaro
