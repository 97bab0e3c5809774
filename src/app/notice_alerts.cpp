#include "app/notice_alerts.h"

#include "app/app_icon.h"
#include "core/gbk.h"
#include "core/notice_texts.h"
#include "core/texts.h"
#include "notify/send_log.h"
#include "platform/wx/tray_icon.h"
#include "services/balloons.h"
#include "services/ui_work_queue.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

// Work handed to the UI thread from any thread; dropped when the alerts are gone meanwhile.
void Post(std::weak_ptr<NoticeAlerts*> alerts, std::function<void(NoticeAlerts&)> run) {
    RunSoon([alerts = std::move(alerts), run = std::move(run)] {
        if (auto self = alerts.lock()) run(**self);
    });
}

const char* ChannelName(const std::string& channel) {
    if (channel == kSmsChannel) return text::kChannelSms;
    if (channel == kEmailChannel) return text::kChannelMail;
    if (channel == kPushChannel) return text::kChannelPush;
    return text::kChannelProgram;
}

}  // namespace

NoticeAlerts::NoticeAlerts(TTrayNotifyIcon& tray, Balloons& balloons)
    : m_tray(tray), m_balloons(balloons), m_self(std::make_shared<NoticeAlerts*>(this)) {
    UpdateToolTip();
}

NoticeAlerts::~NoticeAlerts() = default;

std::function<void(const FailedNotice&)> NoticeAlerts::Observer() {
    return [alerts = std::weak_ptr<NoticeAlerts*>(m_self)](const FailedNotice& failed) {
        Post(alerts, [failed](NoticeAlerts& a) { a.Raise(failed); });
    };
}

std::function<void(size_t)> NoticeAlerts::WaitingObserver() {
    return [alerts = std::weak_ptr<NoticeAlerts*>(m_self)](size_t count) {
        Post(alerts, [count](NoticeAlerts& a) { a.SetWaitingCount(static_cast<int>(count)); });
    };
}

void NoticeAlerts::SetWaitingCount(int waiting) {
    if (waiting == m_waiting) return;
    m_waiting = waiting;
    UpdateToolTip();
}

void NoticeAlerts::Raise(const FailedNotice& failed) {
    ++m_failed;
    UpdateToolTip();
    if (failed.quiet) return;  // one balloon per outage of a channel
    std::function<void()> onClick;
    if (OnBalloonClick) {
        onClick = [alerts = std::weak_ptr<NoticeAlerts*>(m_self), failed] {
            auto self = alerts.lock();
            if (self && (*self)->OnBalloonClick) (*self)->OnBalloonClick(failed);
        };
    }
    m_balloons.Show(text::kNoticeFailedTitle, BalloonText(failed).utf8_string(),
                    std::move(onClick));
}

void NoticeAlerts::ResetFailedCount() {
    m_failed = 0;
    UpdateToolTip();
}

wxString NoticeAlerts::BalloonText(const FailedNotice& f) {
    wxString window =
        f.windowName.empty() ? U8("[") + ToWidget(f.slot) + "]" : ToWidget(f.windowName);
    wxString channel = U8(ChannelName(f.channel));
    if (!f.recipient.empty()) channel += " " + ToWidget(f.recipient);
    return U8(text::kNoticeFailedWindow) + window + "\n" + U8(text::kNoticeFailedChannel) +
           channel + "\n" + U8(text::kNoticeFailedReason) + ToWidget(f.reason);
}

void NoticeAlerts::SetWindows(const TraySummary& windows) {
    if (windows.monitoring == m_windows.monitoring && windows.failing == m_windows.failing &&
        windows.unseen == m_windows.unseen) {
        return;
    }
    m_windows = windows;
    UpdateToolTip();
}

TraySummary NoticeAlerts::Summary() const {
    TraySummary summary = m_windows;
    summary.failedNotices = m_failed;
    return summary;
}

TrayMark NoticeAlerts::Mark() const { return MarkOf(Summary()); }

wxString NoticeAlerts::ToolTipText() const {
    wxString failed = U8(text::kTrayFailedCount);
    failed.Replace("%d", wxString::Format("%d", m_failed));
    wxString tip =
        U8(text::kAppTitle) + "\n" + wxString::FromUTF8(TrayWindowLines(Summary())) + "\n" + failed;
    if (m_waiting > 0) {
        wxString waiting = U8(text::kTrayWaitingCount);
        waiting.Replace("%d", wxString::Format("%d", m_waiting));
        tip += "\n" + waiting;
    }
    return tip;
}

// The icon is drawn anew only when its mark changes.
void NoticeAlerts::UpdateToolTip() {
    const TrayMark mark = Mark();
    if (mark != m_shownMark) {
        m_shownMark = mark;
        m_tray.SetIcon(AppIcon(mark));
    }
    m_tray.SetToolTip(ToolTipText());
}

}  // namespace nuvaro
