#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "services/page_source.h"
#include "support/fake_clock.h"

namespace nuvaro::testing {

// A browser page for tests of the cycle: loads finish (or fail) after `loadTime`, reads answer
// after `readTime` with `body`, or never. Scripted loads end as told and may start another one
// at once (an engine's error page, a newer load); a read may find the page opened again.
class FakePage : public PageSource {
  public:
    explicit FakePage(FakeClock& clock) : m_clock(clock) {}

    std::string LocationURL() const override { return location; }
    std::string LocationUtf8() const override { return location; }
    void Navigate(const std::string& url) override {
        ++navigations;
        location = url;
        StartLoad();
    }
    void Refresh() override {
        ++refreshes;
        if (!location.empty()) StartLoad();
    }
    bool IsLoading() const override { return m_loading > 0; }
    uint64_t LoadsStarted() const override { return m_outcomes.size(); }
    LoadOutcome Outcome(uint64_t load) const override {
        return load >= 1 && load <= m_outcomes.size() ? m_outcomes[load - 1] : LoadOutcome{};
    }
    void ReadPageAs(const PageQuery& query, PageReadDone done) override {
        ++reads;
        lastQuery = query;
        if (neverAnswer) return;
        if (readRanAway || reopenOnRead) {
            // The page's process ends under the read.
            PageContent cut;
            cut.ranAway = readRanAway;
            cut.reopened = !readRanAway;
            if (reopenOnRead) {
                reopenOnRead = false;
                body = bodyAfterReopen;
                StartLoad();
            }
            m_clock.StartOnce(readTime, [alive = std::weak_ptr<bool>(m_alive), cut, done] {
                if (!alive.expired()) done(cut);
            });
            return;
        }
        PageContent page;
        page.ok = readError.empty();
        page.error = readError;
        page.hasBody = hasBody;
        page.noElements = noElements && !query.selector.empty();
        page.body = GbkText::FromBytes(body);
        page.title = GbkText::FromBytes(title);
        m_clock.StartOnce(readTime, [alive = std::weak_ptr<bool>(m_alive), page, done] {
            if (!alive.expired()) done(page);
        });
    }
    void AskQuiet(std::function<void(std::chrono::milliseconds)> done) override {
        ++quietQuestions;
        m_clock.StartOnce(
            std::chrono::milliseconds(1), [this, done, alive = std::weak_ptr<bool>(m_alive)] {
                if (alive.expired()) return;
                const auto now = m_clock.Now();
                bool busy = changesForever || now < busyUntil;
                done(busy ? std::chrono::milliseconds(0)
                          : std::chrono::duration_cast<std::chrono::milliseconds>(now - changedAt));
            });
    }
    std::string TakeCrash() override { return std::exchange(crash, {}); }
    void Unstick() override { ++unsticks; }
    std::weak_ptr<bool> Liveness() const override { return m_alive; }

    // The page asks its server for `later` once loaded; the answer comes after `delay`.
    void AnswerAfterLoad(std::chrono::milliseconds delay, std::string later) {
        busyUntil = m_clock.Now() + delay;
        m_clock.StartOnce(delay, [this, later, alive = std::weak_ptr<bool>(m_alive)] {
            if (alive.expired()) return;
            body = later;
            changedAt = m_clock.Now();
        });
    }

    std::string location = "http://shop.test/item";
    std::string body, title;
    bool hasBody = true;
    std::string readError;      // a read that fails
    std::string loadError;      // the next loads fail with it
    bool neverAnswer = false;   // a page whose scripts never stop
    bool neverFinish = false;   // a load that hangs
    bool serverSilent = false;  // loads get no answer at all: no new document begins
    std::chrono::milliseconds loadTime{300};
    std::chrono::milliseconds readTime{10};
    int refreshes = 0, navigations = 0, reads = 0, quietQuestions = 0, unsticks = 0;
    PageQuery lastQuery;          // of the last read
    bool noElements = false;      // the query's selector selects nothing
    bool changesForever = false;  // a ticker
    EngineClock::TimePoint busyUntil{}, changedAt{};
    std::string crash;  // UTF-8; told by the next TakeCrash
    // How the next loads end instead of the above; `another` starts a load right after.
    struct ScriptedLoad {
        LoadOutcome outcome;
        bool another = false;
    };
    std::deque<ScriptedLoad> scripted;
    bool readRanAway = false;   // reads find the page's scripts hung its process
    bool reopenOnRead = false;  // the next read finds the page opened again with:
    std::string bodyAfterReopen;

  private:
    void StartLoad() {
        m_outcomes.push_back({});
        m_outcomes.back().committed = !serverSilent;
        const size_t index = m_outcomes.size() - 1;
        ++m_loading;
        if (neverFinish) return;
        m_clock.StartOnce(loadTime, [this, index, alive = std::weak_ptr<bool>(m_alive)] {
            if (alive.expired()) return;
            --m_loading;
            bool another = false;
            if (!scripted.empty()) {
                m_outcomes[index] = scripted.front().outcome;
                another = scripted.front().another;
                scripted.pop_front();
            } else {
                m_outcomes[index].failed = !loadError.empty();
                m_outcomes[index].error = loadError;
            }
            m_outcomes[index].finished = true;
            if (another) StartLoad();
        });
    }

    FakeClock& m_clock;
    std::vector<LoadOutcome> m_outcomes;
    int m_loading = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace nuvaro::testing
