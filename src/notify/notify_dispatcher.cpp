#include "notify/notify_dispatcher.h"

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/log_file.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/notify_record.h"
#include "notify/push_sender.h"
#include "notify/readable_answer.h"
#include "notify/send_log.h"
#include "services/shell.h"

namespace nuvaro {
namespace {

// The facts of a window's notice, as the records carry them. A page's found texts may be
// megabytes: notices carry them cut, with their length.
NoticeFacts FactsOf(const TConfig& slot, const GbkText& found, const GbkText& previous,
                    const GbkText& value) {
    return {CutText(found),
            ToGbk(slot.WindowName),
            ToGbk(slot.url),
            NowText(),
            std::to_string(slot.Index),
            CutText(previous),
            NewNoticeId(),
            value};
}

bool EveryChannel(const std::string&) { return true; }

}  // namespace

std::string SendLogSlot(const std::string& slot, bool test) {
    if (test) return text::kSendTestSlot;
    return slot.empty() ? std::string(text::kSendUnknownSlot) : slot;
}

NotifyDispatcher::NotifyDispatcher(Shell& shell, std::unique_ptr<NotifyLibraries> libraries,
                                   DeliveryPolicy policy, std::unique_ptr<Outbox> outbox)
    : m_shell(shell),
      m_libraries(std::move(libraries)),
      m_clock(policy.clock ? *policy.clock : DeliveryClock::System()),
      m_outbox(std::move(outbox)),
      m_program(
          std::make_unique<DeliveryChannel>(policy, ReportFor(kProgramChannel), m_outbox.get())),
      m_sms(std::make_unique<DeliveryChannel>(policy, ReportFor(kSmsChannel), m_outbox.get())),
      m_mail(std::make_unique<DeliveryChannel>(policy, ReportFor(kEmailChannel), m_outbox.get())),
      m_push(std::make_unique<DeliveryChannel>(policy, ReportFor(kPushChannel), m_outbox.get())),
      m_gatewayTests(std::make_unique<DeliveryChannel>(
          DeliveryPolicy{.retryPauses = {}, .workers = 1, .queueLimit = 10},
          [](const DeliveryJob&, const GbkText&) {})) {}

NotifyDispatcher::~NotifyDispatcher() { Shutdown(); }

void NotifyDispatcher::Dispatch(const TConfig& slot, const GbkText& found, const GbkText& previous,
                                const GbkText& value) {
    DispatchFacts(slot, FactsOf(slot, found, previous, value), IsOn(slot.OtherOpen), &found);
}

void NotifyDispatcher::DispatchFacts(const TConfig& slot, const NoticeFacts& facts, bool program,
                                     const GbkText* change) {
    const std::string number = std::to_string(slot.Index);
    Batch batch;
    // A channel that cannot prepare its deliveries (its plug-in missing or broken) fails on its
    // own, told once for this notice; the other channels go out and the notice counts as told.
    auto attempt = [&](std::string_view channel, const std::function<void()>& prepare) {
        try {
            prepare();
        } catch (const std::exception& e) {
            ChannelFailed(channel, facts, ToGbk(e.what()));
        }
    };
    if (program) {
        attempt(kProgramChannel, [&] {
            PrepareProgram(batch, ToGbk(slot.OtherProgram), ToGbk(slot.OtherStr), facts, false);
        });
    }
    if (IsOn(slot.SmsOpen)) {
        attempt(kSmsChannel, [&] {
            auto sender = m_libraries->SmsSender();
            GbkText userId = m_libraries->ReadUserId();
            GbkText record = m_libraries->ReadWindowsInfo(number);
            PrepareSends(batch, {kSmsChannel, number, false, facts}, sender, userId, record);
        });
    }
    if (IsOn(slot.EmailOpen)) {
        attempt(kEmailChannel, [&] {
            auto sender = m_libraries->MailSender();
            GbkText record = m_libraries->ReadWindowsInfo(number);
            GbkText account = m_libraries->ReadEmail();
            PrepareSends(batch, {kEmailChannel, number, false, facts}, sender, account, record);
        });
    }
    const GbkText record = slot.WindowRecord();
    if (IsOn(slot.PushOpen)) {
        attempt(kPushChannel, [&] { PreparePushes(batch, facts, record, EveryChannel); });
    }
    if (change) MarkChange(batch, *change);
    Commit(batch);
}

void NotifyDispatcher::SendSMSNotice(std::string_view slot,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->SmsSender();
    GbkText userId = m_libraries->ReadUserId();
    GbkText record = m_libraries->ReadWindowsInfo(slot);
    Batch batch;
    PrepareSends(batch, {kSmsChannel, std::string(slot), false, facts}, sender, userId, record);
    Commit(batch);
}

void NotifyDispatcher::SendEmailNotice(std::string_view slot,
                                       const std::optional<NoticeFacts>& facts) {
    // The mail leaves at once: holding it behind a box that shows the raw record would keep
    // an unattended user from ever being told.
    auto sender = m_libraries->MailSender();
    GbkText record = m_libraries->ReadWindowsInfo(slot);
    GbkText account = m_libraries->ReadEmail();
    Batch batch;
    PrepareSends(batch, {kEmailChannel, std::string(slot), false, facts}, sender, account, record);
    Commit(batch);
}

void NotifyDispatcher::SendSMSToTest(const GbkText& record,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->SmsSender();
    GbkText userId = m_libraries->ReadUserId();
    std::string slot = facts ? facts->slot : std::string();
    Batch batch;
    PrepareSends(batch, {kSmsChannel, slot, true, facts}, sender, userId, record);
    Commit(batch);
}

void NotifyDispatcher::SendEmailTest(const GbkText& record,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->MailSender();
    GbkText account = m_libraries->ReadEmail();
    std::string slot = facts ? facts->slot : std::string();
    Batch batch;
    PrepareSends(batch, {kEmailChannel, slot, true, facts}, sender, account, record);
    Commit(batch);
}

std::function<TryResult(int)> NotifyDispatcher::SenderRun(const NotifyLibraries::Sender& sender,
                                                          const GbkText& account,
                                                          const GbkText& record,
                                                          const std::string& facts,
                                                          const GbkText& recipient) {
    return [send = sender.send,
            one = SendTry{account, record, facts, recipient, 1}](int attempt) mutable {
        one.attempt = attempt;
        return send(one);
    };
}

// Each recipient is a delivery of its own; a record without recipients still makes one, which
// the sender logs as failed for want of a recipient.
void NotifyDispatcher::PrepareSends(Batch& batch, const Notice& notice,
                                    const NotifyLibraries::Sender& sender, const GbkText& account,
                                    const GbkText& record) {
    const std::string facts = notice.facts ? EncodeNoticeFacts(*notice.facts) : std::string();
    std::vector<GbkText> recipients = sender.recipients(record);
    if (recipients.empty()) recipients.emplace_back();
    for (auto& recipient : recipients) {
        Prepared p{notice.channel, {}, {}};
        p.job.slot = notice.slot;
        p.job.windowName = notice.facts ? notice.facts->name : GbkText();
        p.job.recipient = recipient;
        p.job.test = notice.test;
        p.job.run = SenderRun(sender, account, record, facts, recipient);
        if (Keeps(notice)) {
            p.entry = OutboxEntry{};
            p.entry->record = record;
            p.entry->facts = *notice.facts;
        }
        batch.push_back(std::move(p));
    }
}

std::function<TryResult(int)> NotifyDispatcher::ProgramRun(GbkText file, GbkText parameters,
                                                           std::string label) {
    return [this, file = std::move(file), parameters = std::move(parameters),
            label = std::move(label)](int attempt) {
        bool started = m_shell.Execute(ToUtf8(file), ToUtf8(parameters));
        GbkText reason = started ? GbkText() : ToGbk(text::kSendNoProgram);
        Delivery line{std::string(kProgramChannel), label, file, started, reason, attempt};
        AppendSendLog(ExeDir(), SendLogLine(NowText(), line));
        return TryResult{started ? TryOutcome::Sent : TryOutcome::Permanent, reason};
    };
}

void NotifyDispatcher::PrepareProgram(Batch& batch, const GbkText& file, const GbkText& parameters,
                                      const NoticeFacts& facts, bool test) {
    Prepared p{kProgramChannel, {}, {}};
    p.job.slot = facts.slot;
    p.job.windowName = facts.name;
    p.job.recipient = file;
    p.job.test = test;
    GbkText filled = FillProgramParameters(parameters, facts);
    p.job.run = ProgramRun(file, filled, SendLogSlot(facts.slot, test));
    if (Keeps({kProgramChannel, facts.slot, test, facts})) {
        p.entry = OutboxEntry{};
        p.entry->facts = facts;
        p.entry->file = file;
        p.entry->parameters = filled;
    }
    batch.push_back(std::move(p));
}

void NotifyDispatcher::StartProgram(const GbkText& file, const GbkText& parameters,
                                    const NoticeFacts& facts, bool test) {
    Batch batch;
    PrepareProgram(batch, file, parameters, facts, test);
    Commit(batch);
}

void NotifyDispatcher::SendSmsGatewayTest(const SmsSettings& settings, const GbkText& mobile,
                                          const GbkText& countryCode, const GbkText& text,
                                          std::function<void(const TryResult&)> done) {
    RunSettingsTest(kSmsChannel, m_libraries->SmsSender(),
                    {GbkText::FromBytes(EncodeSmsSettingsAccount(settings)),
                     SmsTestRecord({}, text, mobile, countryCode),
                     {},
                     mobile,
                     1},
                    std::move(done));
}

void NotifyDispatcher::SaveEmail(const GbkText& smtp, const GbkText& user, const GbkText& password,
                                 const GbkText& port, const GbkText& flag) {
    m_libraries->SaveEmail(smtp, user, password, port, flag);
}

void NotifyDispatcher::SetFailureObserver(std::function<void(const FailedNotice&)> observer) {
    std::lock_guard lock(m_observerMutex);
    m_observer = std::move(observer);
}

DeliveryChannel& NotifyDispatcher::ChannelOf(std::string_view channel) {
    if (channel == kSmsChannel) return *m_sms;
    if (channel == kEmailChannel) return *m_mail;
    if (channel == kPushChannel) return *m_push;
    return *m_program;
}

DeliveryChannel::FinalFailure NotifyDispatcher::ReportFor(std::string_view channel) {
    return [this, channel](const DeliveryJob& job, const GbkText& reason) {
        Report(channel, job, reason);
    };
}

// The failure line carries the service's answer as one readable line; the send log has it whole.
void NotifyDispatcher::Report(std::string_view channel, const DeliveryJob& job,
                              const GbkText& answer) {
    const GbkText reason = ReadableAnswer(answer);
    GbkText what = ToGbk(std::string(text::kNoticeFailedTitle) + "：" + std::string(channel));
    if (!job.recipient.empty()) what += ToGbk(" ") + job.recipient;
    WriteLog(loglines::TickError(NowText(), SendLogSlot(job.slot, job.test), job.windowName,
                                 what + ToGbk("：") + reason),
             kErrorLog);
    const FailedNotice failed{job.slot,
                              ToUtf8(job.windowName),
                              std::string(channel),
                              ToUtf8(job.recipient),
                              ToUtf8(reason),
                              job.test};
    std::function<void(const FailedNotice&)> observer;
    FailedNotice told = failed;
    {
        std::lock_guard lock(m_observerMutex);
        observer = m_observer;
        if (!failed.test) told.quiet = !m_down.insert(failed.channel).second;
    }
    if (observer) observer(told);
}

void NotifyDispatcher::ChannelFailed(std::string_view channel, const NoticeFacts& facts,
                                     const GbkText& reason) {
    DeliveryJob failed;
    failed.slot = facts.slot;
    failed.windowName = facts.name;
    LogRefused(channel, failed, reason);
    Report(channel, failed, reason);
}

// A delivery the program does not take: it is exiting, or too many wait already.
void NotifyDispatcher::LogRefused(std::string_view channel, const DeliveryJob& job,
                                  const GbkText& reason) {
    Delivery refused{std::string(channel), SendLogSlot(job.slot, job.test), job.recipient, false,
                     reason};
    AppendSendLog(ExeDir(), SendLogLine(NowText(), refused));
}

int NotifyDispatcher::SentCount(int slot) const {
    return slot >= 0 && slot < static_cast<int>(m_sent.size()) ? m_sent[slot].load() : 0;
}

void NotifyDispatcher::Queue(std::string_view channel, DeliveryJob job) {
    if (!job.test) {
        const int slot = static_cast<int>(ParseInteger(job.slot).value_or(0));
        job.run = [this, slot, channel = std::string(channel),
                   run = std::move(job.run)](int attempt) {
            TryResult result = run(attempt);
            if (result.outcome != TryOutcome::Sent) return result;
            if (slot > 0 && slot < 32) ++m_sent[slot];
            std::lock_guard lock(m_observerMutex);
            m_down.erase(channel);  // the outage is over: the next failure is told again
            return result;
        };
    }
    if (ChannelOf(channel).Add(job)) return;
    if (m_closing) {
        // A kept notice waits in the outbox for the next start.
        if (job.key.empty()) LogRefused(channel, job, ToGbk(text::kSendShutDown));
        return;
    }
    if (m_outbox && !job.key.empty()) m_outbox->Remove(job.key);
    GbkText reason = ToGbk(text::kSendQueueFull);
    LogRefused(channel, job, reason);
    Report(channel, job, reason);
}

bool NotifyDispatcher::WaitUntilIdle(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool idle = true;
    for (auto* channel :
         {m_program.get(), m_sms.get(), m_mail.get(), m_push.get(), m_gatewayTests.get()}) {
        idle = channel->WaitUntilIdleUntil(deadline) && idle;
    }
    return idle;
}

bool NotifyDispatcher::Shutdown(std::chrono::milliseconds grace) {
    m_closing = true;
    const std::pair<std::string_view, DeliveryChannel*> channels[] = {
        {kProgramChannel, m_program.get()},
        {kSmsChannel, m_sms.get()},
        {kEmailChannel, m_mail.get()},
        {kPushChannel, m_push.get()},
        {kSmsChannel, m_gatewayTests.get()}};
    for (auto [name, channel] : channels) channel->Close();
    bool idle = WaitUntilIdle(grace);
    for (auto [name, channel] : channels) {
        for (const DeliveryJob& job : channel->TakeWaiting()) {
            if (job.key.empty()) LogRefused(name, job, ToGbk(text::kSendShutDown));
        }
    }
    if (!idle) {
        m_libraries->CancelSends();
        m_cancelPushes = true;
    }
    for (auto [name, channel] : channels) channel->Join();
    return idle;
}

}  // namespace nuvaro
