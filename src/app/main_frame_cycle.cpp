// The monitoring cycle of the main window: start and stop, the ticks, the manual tests.
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <stdexcept>

#include "ui/error_display.h"
#include "app/main_frame.h"
#include "app/monitor_window.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "monitor/cycle_rules.h"
#include "monitor/ui/page_refresh.h"
#include "notify/notify_dispatcher.h"
#include "platform/gtk/web_browser.h"
#include "ui/wx_text.h"
#include "platform/notices.h"
#include "platform/services.h"
#include "platform/shell.h"

namespace nuvaro {
namespace {

constexpr int kTickPauseMs = 1000;
constexpr int kDefaultTestPauseMs = 3000;
constexpr int kTimedMessageSeconds = 5;

std::string SlotText(int n) { return std::to_string(n + 1); }

// The conversion error of a refresh time that is no whole number of minutes.
std::runtime_error BadMinutes(const std::string& text) {
    wxString message = U8(text::kBadRefreshMinutes);
    message.Replace("%s", FromGbk(text));
    return std::runtime_error(message.utf8_string());
}

}  // namespace

// A tick's own error trap: the error box of the main window with the error's text.
template <typename Step>
void TMainFrm::TickTrap(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (const std::exception& e) {
        GetNotices().ErrorBox(this, MessageText(e.what()));
    }
}

bool TMainFrm::IsMonitoring(int n) const {
    MonitorWindow* window = Window(n);
    return window && window->StartStopButton()->GetLabel() != U8(text::kStartMonitoring);
}

bool TMainFrm::TickInProgress(int n) const {
    MonitorWindow* window = Window(n);
    return window && m_ticking.count(window->Serial()) > 0;
}

void TMainFrm::RunBeginClick() {
    MonitorWindow& window = DefaultPage();
    TConfig& slot = Configs()[1];
    if (!IsMonitoring(0)) {
        if (slot.Regx.empty()) return GetNotices().ShowMessage(U8(text::kNoCondition));
        auto minutes = RefreshMinutes(window.RefreshText());
        if (!minutes) return GetNotices().ErrorBox(this, U8(text::kBadRefreshTime));
        m_timer1.Start(static_cast<int>(IntervalMs(*minutes)));
        window.StartStopButton()->SetLabel(U8(text::kStopMonitoring));
        GetNotices().ShowMessage(FromGbk(StartedMessage(slot, window.RefreshText())));
    } else {
        window.StartStopButton()->SetLabel(U8(text::kStartMonitoring));
        m_timer1.Stop();
        GetNotices().ShowMessage(FromGbk(StoppedMessage(slot)));
    }
}

void TMainFrm::RunBeginNClick(int n) {
    MonitorWindow* window = Window(n);
    if (!window) return;
    TConfig& slot = Configs()[n + 1];
    GetTextNow(n);
    auto minutes = RefreshMinutes(slot.CurRefreshTime);
    if (!minutes) throw BadMinutes(slot.CurRefreshTime);  // on start and on stop alike
    wxTimer* timer = TimerOf(n);
    if (!IsMonitoring(n)) {
        if (slot.Regx.empty()) return GetNotices().ShowMessage(U8(text::kNoCondition));
        timer->Start(static_cast<int>(IntervalMs(*minutes)));
        window->StartStopButton()->SetLabel(U8(text::kStopMonitoring));
        GetNotices().ShowMessage(FromGbk(StartedMessage(slot, std::to_string(*minutes))));
    } else {
        window->StartStopButton()->SetLabel(U8(text::kStartMonitoring));
        timer->Stop();
        GetNotices().ShowMessage(FromGbk(StoppedMessage(slot)));
    }
}

// Runs the first steps of window n's tick with the window marked as ticking from the start,
// so that a tick fired while one of these steps shows a box is skipped. `steps` returns whether
// the tick goes on waiting for its page; the end of that wait clears the mark.
template <typename Steps>
void TMainFrm::ClaimTick(int n, Steps&& steps) {
    MonitorWindow* window = Window(n);
    if (!window || TickInProgress(n)) return;  // closed, or nested in its own tick
    const uint64_t serial = window->Serial();
    m_ticking.insert(serial);
    bool waiting = false;
    TickTrap([&] { waiting = steps(); });
    if (!waiting) m_ticking.erase(serial);
}

void TMainFrm::Timer1Timer(bool fromTimer) {
    ClaimTick(0, [&] {
        if (!fromTimer) return BeginTick(0, true, static_cast<int>(PageRefresh::Reload::None), {}, 0);
        MonitorWindow& window = DefaultPage();
        auto reload = PageRefresh::Reload::None;
        // The default page goes back to its address box when the browser has left it.
        if (window.Browser()->LocationText() == window.UrlEdit()->GetValue()) {
            reload = PageRefresh::Reload::Refresh;
        } else if (!window.UrlText().empty()) {
            reload = PageRefresh::Reload::Navigate;
        } else {
            GetNotices().ShowMessage(U8(text::kAddressEmptyOrBusy));
        }
        return BeginTick(0, false, static_cast<int>(reload), window.UrlText(), kTickPauseMs);
    });
}

void TMainFrm::RzBitBtn3Click() {
    ClaimTick(0, [&] {
        if (DefaultPage().Browser()->LocationURL().empty()) {
            GetNotices().ShowMessage(U8(text::kOpenPageFirstDefault));
            return false;
        }
        return BeginTick(0, true, static_cast<int>(PageRefresh::Reload::Refresh), {},
                         kDefaultTestPauseMs);
    });
}

void TMainFrm::TimeWindowN(int n) {
    TickTrap([&] { TimerNTimer(n, 1); });
}

void TMainFrm::RzBitBtn3NClick(int n) {
    TickTrap([&] { TimerNTimer(n, 2); });
}

void TMainFrm::TimerNTimer(int n, int mode) {
    if (!Window(n) || TickInProgress(n)) return;
    GetTextNow(n);
    TConfig& slot = Configs()[n + 1];
    ClaimTick(n, [&] {
        if (!slot.Browser || slot.Browser->LocationURL().empty()) {
            GetNotices().ShowMessage(U8(text::kOpenPageFirstAdded));
            return false;
        }
        return BeginTick(n, mode == 2, static_cast<int>(PageRefresh::Reload::Refresh), {},
                         kTickPauseMs);
    });
}

void TMainFrm::GetTextNow(int n) {
    MonitorWindow* window = Window(n);
    if (!window) return;
    TConfig& slot = Configs()[n + 1];
    slot.CurWindowName = window->NameText();
    slot.CurUrl = window->UrlText();
    slot.CurRefreshTime = window->RefreshText();
    slot.CurSmsOpen = FlagText(window->SmsCheck()->GetValue());
    slot.CurEmailOpen = FlagText(window->EmailCheck()->GetValue());
    slot.CurOtherOpen = FlagText(window->OtherCheck()->GetValue());
    slot.Browser = window->Browser();
}

// Reload, wait without blocking, read, then conclude; the window may close or stop meanwhile.
// Returns whether the wait began (the window is still there).
bool TMainFrm::BeginTick(int n, bool test, int reload, const std::string& url, int pauseMs) {
    MonitorWindow* window = Window(n);
    if (!window) return false;
    const uint64_t serial = window->Serial();
    auto done = [this, alive = std::weak_ptr<bool>(m_alive), n, test,
                 serial](const PageRefresh::Result& result) {
        if (alive.expired()) return;  // the main window is gone
        MonitorWindow* now = Window(n);
        bool current = now && now->Serial() == serial;
        if (current && (test || IsMonitoring(n)) &&
            result.status != PageRefresh::Result::Status::Abandoned) {
            TickTrap([&] {
                if (result.status == PageRefresh::Result::Status::LoadFailed) {
                    throw std::runtime_error(text::kLoadFailed + GbkToUtf8(result.error));
                }
                if (result.status == PageRefresh::Result::Status::ReadTimedOut) {
                    throw std::runtime_error(text::kReadTimedOut);
                }
                if (!result.page.ok) throw std::runtime_error(GbkToUtf8(result.page.error));
                if (!result.page.hasBody) throw std::runtime_error(text::kNoBody);
                ConcludeTick(n, test, result.page.body);
            });
        }
        m_ticking.erase(serial);
    };
    PageRefresh::Start(*window->Browser(), static_cast<PageRefresh::Reload>(reload), url, pauseMs,
                       done);
    return true;
}

void TMainFrm::ConcludeTick(int n, bool test, const std::string& page) {
    const CycleTraits traits = CycleTraits::For(n);
    const std::string slotText = SlotText(n);
    TConfig& slot = Configs()[n + 1];
    std::string found = FindInPage(Configs(), traits, slotText, page);
    if (test) {
        slot.LastMatch.clear();
        if (found.empty()) return GetNotices().ShowMessage(U8(traits.testNoMatch));
    }
    Verdict verdict = Judge(found, slot.LastMatch);
    if (verdict == Verdict::Change) {
        if (test) GetNotices().TimedMessage(U8(traits.testMatch), kTimedMessageSeconds);
        DispatchWindow(slot, slotText);
        slot.LastMatch = found;
    }
    LogVerdict(verdict, traits, slotText, found, slot.WindowName);
}

void TMainFrm::DispatchWindow(TConfig& slot, const std::string&) { m_dispatcher->Dispatch(slot); }

void TMainFrm::SendSMSNotice(const std::string& slotNumber) {
    m_dispatcher->SendSMSNotice(slotNumber);
}

void TMainFrm::SendEmailNotice(const std::string& slotNumber) {
    m_dispatcher->SendEmailNotice(slotNumber);
}

}  // namespace nuvaro
