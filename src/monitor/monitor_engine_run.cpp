// A run of the monitoring cycle: reload, read, match, verdict, notice; turns to read.
#include <memory>

#include "config/config_table.h"
#include "core/condition_texts.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/site_texts.h"
#include "core/test_point.h"
#include "core/texts.h"
#include "monitor/cycle_rules.h"
#include "monitor/engine_window.h"
#include "monitor/load_reason.h"
#include "monitor/monitor_engine.h"
#include "monitor/monitor_log.h"
#include "monitor/run_state.h"
#include "monitor/window_status_text.h"
#include "services/page_source.h"

namespace nuvaro {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kDefaultTestPause{3000};
constexpr int kTimedMessageSeconds = 5;

// "网站要求等待，至 2026-12-7 9:05:03"
std::string WaitText(std::chrono::system_clock::time_point until) {
    return std::string(text::kSiteWait) + text::kSiteWaitUntil + WallTimeText(until);
}

}  // namespace

void MonitorEngine::Run(int n, TickKind kind) {
    Window* w = Open(n);
    if (!w) return;
    if (w->working) {
        if (kind == TickKind::Test) w->testWaiting = true;
        return;
    }
    Begin(n, kind);
}

// Claims the run, decides how the page is reloaded, then waits for its site's turn.
void MonitorEngine::Begin(int n, TickKind kind) {
    Window* w = Open(n);
    w->working = true;
    w->runKind = kind;
    Changed(n);
    ReloadPlan plan;
    if (!(n == 0 ? PlanDefaultPage(kind, plan) : PlanAddedWindow(n, kind))) return;
    w = Open(n);
    w->site =
        SiteOf(plan.how == PageReader::Reload::Navigate ? plan.url : w->source->LocationUtf8());
    if (auto held = m_sites.HeldUntil(w->site)) {
        // The user at the desk is told at once rather than kept waiting.
        if (kind == TickKind::Test) {
            End(n);
            return TickBox(n, kind, WaitText(WallOf(*held)), Notices::Icon::None);
        }
        Held(n, *held);
    }
    m_sites.Ask(n, w->site, Guard(n, [this, n, kind, plan] { StartReading(n, kind, plan); }));
}

void MonitorEngine::StartReading(int n, TickKind kind, const ReloadPlan& plan) {
    Window* w = Open(n);
    if (w->status.waitUntil) {
        w->status.waitUntil.reset();
        Changed(n);
    }
    w->reader = std::make_unique<PageReader>(*w->source, m_clock, m_timeouts);
    w->reader->SetQuery(QueryOf(m_configs[SlotOf(n)]));
    // The site's place is given up once the reload is over: waiting for the page to settle
    // and reading it costs the site nothing.
    w->reader->Start(
        plan.how, plan.url, plan.pause,
        [this, n, kind](const PageReader::Result& result) { AfterRead(n, kind, result); },
        [this, n] { m_sites.Release(n); });
}

// The default page: a test needs a loaded page; a tick goes back to the address box when the
// browser has left it. False when the run ended here.
bool MonitorEngine::PlanDefaultPage(TickKind kind, ReloadPlan& plan) {
    Window* w = Open(0);
    w->source = w->controls->Source();
    if (kind == TickKind::Test) {
        if (w->source->LocationURL().empty()) {
            End(0);
            TickBox(0, kind, text::kOpenPageFirstDefault, Notices::Icon::None);
            return false;
        }
        plan.pause = kDefaultTestPause;
        return true;
    }
    ControlTexts c = w->controls->Read();
    if (w->source->LocationUtf8() != c.urlUtf8) {
        plan.how = c.url.empty() ? PageReader::Reload::None : PageReader::Reload::Navigate;
        plan.url = c.url;
        if (c.url.empty()) TickBox(0, kind, text::kAddressEmptyOrBusy, Notices::Icon::None);
    }
    return true;
}

// An added window reads its controls into its slot and needs a loaded page. False when the run
// ended here.
bool MonitorEngine::PlanAddedWindow(int n, TickKind kind) {
    GetTextNow(n);
    Window* w = Open(n);
    w->source = m_configs[SlotOf(n)].Browser;
    if (w->source && !w->source->LocationURL().empty()) return true;
    if (kind == TickKind::Test) {
        End(n);
        TickBox(n, kind, text::kOpenPageFirstAdded, Notices::Icon::None);
    } else {
        Fail(n, kind, text::kOpenPageFirstAdded, false);
    }
    return false;
}

void MonitorEngine::AfterRead(int n, TickKind kind, const PageReader::Result& result) {
    m_sites.Release(n);
    Window* w = Open(n);
    using Status = PageReader::Result::Status;
    if (result.status == Status::Abandoned) return End(n);
    const auto held = m_sites.Answered(w->site, result.httpStatus, result.retryAfter,
                                       std::chrono::system_clock::now());
    // A window stopped meanwhile ends its tick quietly; a manual test goes on.
    if (kind == TickKind::Timer && !w->monitoring) return End(n);
    if (held) return SiteWait(n, kind, *held);
    TellCrash(n, kind);
    switch (result.status) {
        case Status::LoadFailed:
            return Fail(n, kind, text::kLoadFailed + LoadFailureReason(result.error));
        case Status::NoAnswer: {
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(m_timeouts.load).count();
            return Fail(n, kind, text::kLoadFailed + NoAnswerReason(static_cast<int>(seconds)));
        }
        case Status::ReadTimedOut:
            return Fail(n, kind, text::kReadTimedOut);
        case Status::NoDocument:
            return Fail(n, kind, text::kNoDocument);
        case Status::Unresponsive:
            return Fail(n, kind, text::kScriptUnresponsive);
        default:
            break;
    }
    if (!result.page.ok) return Fail(n, kind, result.page.error);
    if (!result.page.hasBody) return Fail(n, kind, text::kNoBody);
    Conclude(n, kind, result.page);
}

void MonitorEngine::Conclude(int n, TickKind kind, const PageContent& page) {
    const CycleTraits traits = CycleTraits::For(n);
    TConfig& slot = m_configs[SlotOf(n)];
    Reading reading;
    try {
        reading = ReadCondition(m_configs, traits, SlotText(n), page);
    } catch (const std::exception& e) {
        return Fail(n, kind, e.what());
    }
    // {previous} is what was notified last, also in a test, which forgets it to notify again.
    const GbkText previous = slot.LastMatch;
    if (kind == TickKind::Test) {
        ForgetLastMatch(n);
        if (reading.found.empty() && !reading.noElement) {
            Record(n, WindowStatus::Last::NothingFound, {});
            End(n);
            return TickBox(n, kind, traits.testNoMatch, Notices::Icon::None);
        }
    }
    const Finding finding = Judge(n, reading);
    if (finding.verdict != Verdict::Change) return Unsent(n, kind, reading, finding);
    if (kind == TickKind::Test) {
        // The dispatch waits until the message has closed; the run stays in progress.
        const GbkText found = reading.found;
        return m_notices.PostTimedMessage(traits.testMatch, kTimedMessageSeconds,
                                          Guard(n, [this, n, found, previous, finding] {
                                              Notify(n, TickKind::Test, found, previous, finding);
                                          }));
    }
    Notify(n, kind, reading.found, previous, finding);
}

Finding MonitorEngine::Judge(int n, const Reading& reading) {
    const TConfig& slot = m_configs[SlotOf(n)];
    return JudgeReading(reading, m_rules[n], [this, n, &slot](const GbkText& found) {
        return m_runState ? JudgeWithSaved(found, slot.LastMatch, m_runState->LastMatch(SlotOf(n)))
                          : nuvaro::Judge(found, slot.LastMatch);
    });
}

// A verdict that sends nothing: its log line and status; a rule that did not tell keeps what
// it learnt (the region left, the mark moved). A test says why nothing would be sent.
void MonitorEngine::Unsent(int n, TickKind kind, const Reading& reading, const Finding& finding) {
    const TConfig& slot = m_configs[SlotOf(n)];
    LogVerdict(finding.verdict, CycleTraits::For(n), SlotText(n), reading.found, slot.WindowName);
    using Last = WindowStatus::Last;
    Last last = Last::NothingFound;
    const char* testText = CycleTraits::For(n).testNoMatch;
    switch (finding.verdict) {
        case Verdict::Repeat:
        case Verdict::NotDue:
            last = Last::Repeat;
            testText = text::kTryNotDue;
            break;
        case Verdict::NoNumber:
            last = Last::NoNumber;
            testText = text::kNoNumber;
            break;
        case Verdict::NoElement:
            last = Last::NoElement;
            testText = text::kNoElement;
            break;
        default:
            break;
    }
    if (finding.verdict == Verdict::NotDue) KeepRule(n, finding.rule);
    Record(n, last, reading.found);
    End(n);
    if (kind == TickKind::Test) TickBox(n, kind, testText, Notices::Icon::None);
}

void MonitorEngine::KeepRule(int n, const NumRuleState& rule) {
    m_rules[n] = rule;
    if (m_runState) m_runState->SetRuleState(SlotOf(n), rule);
}

void MonitorEngine::Notify(int n, TickKind kind, const GbkText& found, const GbkText& previous,
                           const Finding& finding) {
    TConfig& slot = m_configs[SlotOf(n)];
    TestKillPoint("dispatch");
    try {
        m_dispatch(slot, found, previous, ValueText(finding));
    } catch (const std::exception& e) {
        // The same text is again a change at the next tick.
        return Fail(n, kind, e.what());
    }
    TestKillPoint("dispatched");  // in the outbox, not yet in the run state
    slot.LastMatch = found;
    if (m_runState) m_runState->SetLastMatch(SlotOf(n), found);
    TestKillPoint("saved");
    if (finding.number) KeepRule(n, finding.rule);
    LogVerdict(Verdict::Change, CycleTraits::For(n), SlotText(n), found, slot.WindowName);
    Record(n, WindowStatus::Last::Change, found, {}, previous);
    End(n);
}

// The page's web process ended since the window's last run: told once, by the run that comes
// next (whoever read the page meanwhile), which goes on to its verdict on the page opened again.
void MonitorEngine::TellCrash(int n, TickKind kind) {
    Window* w = Open(n);
    std::string crash = w && w->source ? w->source->TakeCrash() : std::string();
    if (crash.empty()) return;
    const TConfig& slot = m_configs[SlotOf(n)];
    WriteLog(loglines::TickError(NowText(), SlotText(n), slot.WindowName, crash), kErrorLog);
    TickBox(n, kind, crash, Notices::Icon::Error);
}

// A run that ended in an error: one line in the error log, then the box.
void MonitorEngine::Fail(int n, TickKind kind, const std::string& message, bool errorBox) {
    const TConfig& slot = m_configs[SlotOf(n)];
    WriteLog(loglines::TickError(NowText(), SlotText(n), slot.WindowName, message), kErrorLog);
    Record(n, WindowStatus::Last::Error, {}, message);
    End(n);
    TickBox(n, kind, message, errorBox ? Notices::Icon::Error : Notices::Icon::None);
}

// "Nuvaro - " and the window's name, so that a box says whose it is.
std::string MonitorEngine::BoxCaption(int n) const {
    const std::string& name = m_configs[SlotOf(n)].WindowName;
    return name.empty() ? std::string(text::kAppTitle) : text::kBoxCaptionPrefix + name;
}

// A manual test's boxes always show: the user is there. A tick shows one box at a time: while
// the box of an earlier tick is open, later ones only go to the log.
void MonitorEngine::TickBox(int n, TickKind kind, const std::string& text, Notices::Icon icon) {
    const auto owner =
        icon == Notices::Icon::Error ? Notices::Owner::MainWindow : Notices::Owner::None;
    const std::string caption = BoxCaption(n);
    if (kind == TickKind::Test) return m_notices.PostBox(owner, text, caption, icon, {});
    Window* w = Open(n);
    if (!w || w->boxOpen) return;
    w->boxOpen = true;
    m_notices.PostBox(owner, text, caption, icon,
                      Guard(n, [this, n] { Open(n)->boxOpen = false; }));
}

void MonitorEngine::End(int n) {
    Window* w = Open(n);
    if (!w) return;
    m_sites.Release(n);
    w->working = false;
    w->reader.reset();  // may be the caller's caller: nothing of it is used after this
    Changed(n);
    if (w->recorded) {
        w->recorded = false;
        if (OnRunEnded) OnRunEnded(n, Status(n));
        w = Open(n);
        if (!w) return;
    }
    if (w->testWaiting) {
        w->testWaiting = false;
        m_clock.StartOnce(milliseconds(0), Guard(n, [this, n] { Run(n, TickKind::Test); }));
    }
}

void MonitorEngine::Record(int n, WindowStatus::Last last, const GbkText& found,
                           const std::string& error, const GbkText& previous) {
    Window* w = Open(n);
    if (!w) return;
    WindowStatus& s = w->status;
    w->recorded = true;
    s.last = last;
    s.lastCheck = std::chrono::system_clock::now();
    if (last == WindowStatus::Last::Waiting) return;  // neither good nor failed
    // A condition that cannot read what it judges fails like an error, without its box.
    const bool unread =
        last == WindowStatus::Last::NoNumber || last == WindowStatus::Last::NoElement;
    if (last == WindowStatus::Last::Error) {
        ++s.failuresInRow;
        s.lastError = error;
        s.lastErrorTime = s.lastCheck;
    } else {
        s.failuresInRow = unread ? s.failuresInRow + 1 : 0;
        s.lastFound = found;
        s.previousFound = previous;
    }
}

// The site asked to wait: every window of it that waits for its turn is told so, and this run
// ends, neither good nor failed.
void MonitorEngine::SiteWait(int n, TickKind kind, EngineClock::TimePoint until) {
    const std::string site = Open(n)->site;
    for (int other = 0; other < kWindows; ++other) {
        Window* o = Open(other);
        if (other != n && o && o->site == site && m_sites.Waiting(other)) Held(other, until);
    }
    Held(n, until);
    Record(n, WindowStatus::Last::Waiting, {});
    End(n);
    if (kind == TickKind::Test) TickBox(n, kind, WaitText(WallOf(until)), Notices::Icon::None);
}

// Window n's run waits for its site until `until`: its status says so, and the log once.
void MonitorEngine::Held(int n, EngineClock::TimePoint until) {
    Window* w = Open(n);
    const auto wall = WallOf(until);
    w->status.waitUntil = wall;
    if (w->told != until) {
        w->told = until;
        const TConfig& slot = m_configs[SlotOf(n)];
        WriteLog(loglines::SiteWait(NowText(), SlotText(n), WallTimeText(wall), w->site,
                                    slot.WindowName),
                 kMonitorLog);
    }
    Changed(n);
}

std::chrono::system_clock::time_point MonitorEngine::WallOf(EngineClock::TimePoint at) const {
    return std::chrono::system_clock::now() +
           std::chrono::duration_cast<std::chrono::system_clock::duration>(at - m_clock.Now());
}

}  // namespace nuvaro
