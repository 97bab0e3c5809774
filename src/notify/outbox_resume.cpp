// The outbox's side of the dispatch: the deliveries kept before their first try, and what an
// earlier run left goes on where it stopped.
#include <algorithm>

#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/sha256.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "notify/send_log.h"

namespace nuvaro {

// The kept deliveries of a change carry what identifies its whole found text, and when.
void NotifyDispatcher::MarkChange(Batch& batch, const GbkText& found) {
    const std::string digest = Sha256Hex(found.view());
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    for (Prepared& p : batch) {
        if (!p.entry) continue;
        p.entry->foundBytes = static_cast<int64_t>(found.size());
        p.entry->foundDigest = digest;
        p.entry->notifiedAt = now;
    }
}

// The kept deliveries are on disk before any of them is tried.
void NotifyDispatcher::Commit(Batch& batch) {
    std::vector<OutboxEntry> entries;
    const int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(m_clock.WallNow().time_since_epoch())
            .count();
    for (size_t i = 0; i < batch.size(); ++i) {
        Prepared& p = batch[i];
        if (!p.entry) continue;
        OutboxEntry& e = *p.entry;
        e.key = e.facts.id + "-" + std::to_string(i + 1);
        e.channel = std::string(p.channel);
        e.slot = p.job.slot;
        e.windowName = p.job.windowName;
        e.recipient = p.job.recipient;
        e.raised = e.due = now;
        p.job.key = e.key;
        entries.push_back(e);
    }
    const std::vector<bool> folded =
        m_outbox ? m_outbox->AddOrFold(entries) : std::vector<bool>(entries.size(), false);
    size_t kept = 0;
    for (Prepared& p : batch) {
        if (p.entry && folded[kept++]) continue;  // the pending delivery sends it
        if (p.entry && m_outbox) p.job.run = KeptRun(p.job.key, std::move(p.job.run));
        Queue(p.channel, std::move(p.job));
    }
}

size_t NotifyDispatcher::ResumeOutbox() {
    if (!m_outbox) return 0;
    const std::vector<OutboxEntry> entries = m_outbox->Entries();
    for (const OutboxEntry& entry : entries) Resume(entry);
    return entries.size();
}

// The senders, their accounts and the mail account are those of now; the texts are those of
// the moment the notice was raised.
std::function<TryResult(int)> NotifyDispatcher::ResumedRun(const OutboxEntry& e) {
    if (e.channel == kProgramChannel) {
        return ProgramRun(e.file, e.parameters, SendLogSlot(e.slot, false));
    }
    if (e.channel == kPushChannel) {
        return PushRun(e.push, e.record, e.facts, SendLogSlot(e.slot, false));
    }
    const bool sms = e.channel == kSmsChannel;
    auto sender = sms ? m_libraries->SmsSender() : m_libraries->MailSender();
    GbkText account = sms ? m_libraries->ReadUserId() : m_libraries->ReadEmail();
    return SenderRun(sender, account, e.record, EncodeNoticeFacts(e.facts), e.recipient);
}

void NotifyDispatcher::Resume(OutboxEntry e) {
    const std::string label = SendLogSlot(e.slot, false);
    if (e.trying) {
        Delivery unknown{e.channel, label, e.recipient, false, ToGbk(text::kSendInterrupted),
                         e.attempt};
        AppendSendLog(ExeDir(), SendLogLine(NowText(), unknown));
        ++e.attempt;
    }
    DeliveryJob job;
    job.slot = e.slot;
    job.windowName = e.windowName;
    job.recipient = e.recipient;
    job.key = e.key;
    job.attempt = e.attempt;
    using std::chrono::seconds;
    job.raised = m_clock.FromWall(DeliveryClock::WallTime(seconds(e.raised)));
    const auto left = DeliveryClock::WallTime(seconds(e.due)) - m_clock.WallNow();
    job.due = m_clock.Now() +
              std::clamp(std::chrono::duration_cast<seconds>(left), seconds(0), kResumeWithin);
    GbkText refused;
    try {
        job.run = ResumedRun(e);
    } catch (const std::exception& error) {
        refused = ToGbk(error.what());  // a plug-in gone since
    }
    if (refused.empty()) {
        m_outbox->Waiting(job);
        if (ChannelOf(e.channel).Add(job)) return;
        refused = ToGbk(text::kSendQueueFull);
    }
    m_outbox->Remove(e.key);
    LogRefused(e.channel, job, refused);
    Report(e.channel, job, refused);
}

}  // namespace nuvaro
