// Push channels, notices of their own kind (health, the daily report) and kept deliveries.
#include <exception>

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/ini_file.h"
#include "core/notice_texts.h"
#include "core/text_cut.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "notify/push_sender.h"
#include "notify/send_log.h"

namespace nuvaro {
namespace {

std::optional<PushChannel> ChannelNamed(const std::string& section) {
    for (PushChannel& c : ReadPushChannels(IniFile(ExeDirFile(kPushFileName)).Load())) {
        if (c.section == section) return c;
    }
    return std::nullopt;
}

// The window's subject and text, filled as the mail's are, with the facts for a webhook.
PushMessage MessageOf(const PushChannel& channel, const GbkText& record, const NoticeFacts& facts) {
    NotifyRecord r = ParseNotifyRecord(record, IniFile(ExeDirFile("Config.inf")).Load());
    if (r.subject.empty()) r.subject = ToGbk(text::kMailSubject);
    FillNoticeTexts(r, facts);
    PushMessage m;
    m.title = (channel.title.empty() ? "" : channel.title + " ") + ToUtf8(r.subject);
    m.body = ToUtf8(r.body);
    m.window = ToUtf8(facts.name);
    m.url = ToUtf8(facts.url);
    m.found = ToUtf8(facts.found);
    m.previous = ToUtf8(facts.previous);
    m.kind = facts.kind.empty() ? text::kNoticeChange : facts.kind;
    m.time = facts.time;
    return m;
}

NoticeFacts OwnFacts(const TConfig* slot, std::string_view kind, std::string_view subject,
                     std::string_view message) {
    NoticeFacts f;
    if (slot) {
        f.name = ToGbk(slot->WindowName);
        f.url = ToGbk(slot->url);
        f.slot = std::to_string(slot->Index);
    }
    f.time = NowText();
    f.id = NewNoticeId();
    f.kind = std::string(kind);
    f.subject = ToGbk(subject);
    f.message = ToGbk(message);
    return f;
}

// The try's line in the send log, the channel shown by kind and host only.
TryResult Logged(const PushResult& pushed, const std::string& label, const std::string& who,
                 int attempt) {
    TryResult result{pushed.outcome, ToGbk(pushed.reason)};
    Delivery line{std::string(kPushChannel),          label,         ToGbk(who),
                  result.outcome == TryOutcome::Sent, result.reason, attempt};
    AppendSendLog(ExeDir(), SendLogLine(NowText(), line));
    return result;
}

}  // namespace

std::function<TryResult(int)> NotifyDispatcher::PushRun(std::string section, GbkText record,
                                                        NoticeFacts facts, std::string label) {
    return [this, section = std::move(section), record = std::move(record),
            facts = std::move(facts), label = std::move(label)](int attempt) {
        auto channel = ChannelNamed(section);
        PushResult pushed{TryOutcome::Permanent, "push.inf [" + section + "]"};
        PushTimeouts timeouts;
        timeouts.cancel = &m_cancelPushes;
        if (channel) pushed = SendPush(*channel, MessageOf(*channel, record, facts), timeouts);
        return Logged(pushed, label, channel ? PushChannelLabel(*channel) : section, attempt);
    };
}

void NotifyDispatcher::PreparePushes(Batch& batch, const NoticeFacts& facts, const GbkText& record,
                                     const std::function<bool(const std::string&)>& wanted) {
    for (const PushChannel& c : ReadPushChannels(IniFile(ExeDirFile(kPushFileName)).Load())) {
        if (!c.enabled || !wanted(c.section)) continue;
        Prepared p{kPushChannel, {}, {}};
        p.job.slot = facts.slot;
        p.job.windowName = facts.name;
        p.job.recipient = ToGbk(PushChannelLabel(c));
        p.job.run = PushRun(c.section, record, facts, SendLogSlot(facts.slot, false));
        if (Keeps({kPushChannel, facts.slot, false, facts})) {
            p.entry = OutboxEntry{};
            p.entry->record = record;
            p.entry->facts = facts;
            p.entry->push = c.section;
        }
        batch.push_back(std::move(p));
    }
}

std::function<TryResult(int)> NotifyDispatcher::KeptRun(std::string key,
                                                        std::function<TryResult(int)> first) {
    return [this, key = std::move(key), first = std::move(first)](int attempt) {
        auto entry = m_outbox->Find(key);
        // Gone: folded into the delivery that was tried before it, which sends it.
        if (!entry) return TryResult{TryOutcome::Sent, {}};
        if (entry->facts.folded <= 1) return first(attempt);
        return ResumedRun(*entry)(attempt);
    };
}

void NotifyDispatcher::DispatchNotice(const TConfig& slot, std::string_view kind,
                                      std::string_view subject, std::string_view message,
                                      bool program) {
    DispatchFacts(slot, OwnFacts(&slot, kind, subject, message), program && IsOn(slot.OtherOpen));
}

void NotifyDispatcher::SendReport(std::string_view toMail,
                                  const std::function<bool(const std::string&)>& wanted,
                                  std::string_view subject, std::string_view message) {
    const NoticeFacts facts = OwnFacts(nullptr, kNoticeReport, subject, message);
    const GbkText record = EmailTestRecord(ToGbk(toMail), {}, {}, {});
    Batch batch;
    std::exception_ptr error;
    if (!toMail.empty()) {
        try {
            auto sender = m_libraries->MailSender();
            PrepareSends(batch, {kEmailChannel, {}, false, facts}, sender, m_libraries->ReadEmail(),
                         record);
        } catch (...) {
            error = std::current_exception();
        }
    }
    PreparePushes(batch, facts, record, wanted);
    Commit(batch);
    if (error) std::rethrow_exception(error);
}

void NotifyDispatcher::SendPushTest(const PushChannel& channel,
                                    std::function<void(const TryResult&)> done) {
    DeliveryJob job;
    job.recipient = ToGbk(PushChannelLabel(channel));
    job.test = true;
    job.run = [channel, done](int attempt) {
        PushResult pushed = SendPush(channel, {text::kPushTestTitle, text::kPushTestBody});
        TryResult result = Logged(pushed, text::kSendTestSlot, PushChannelLabel(channel), attempt);
        if (done) done(result);
        return result;
    };
    if (m_gatewayTests->Add(job)) return;
    const char* reason = m_closing ? text::kSendShutDown : text::kSendQueueFull;
    if (done) done({TryOutcome::Permanent, ToGbk(reason)});
}

}  // namespace nuvaro
