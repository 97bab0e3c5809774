#include "notify/notify_dispatcher.h"

#include <exception>

#include "config/tconfig.h"
#include "core/date_time.h"
#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/text_cut.h"
#include "core/texts.h"
#include "notify/notify_record.h"
#include "notify/send_log.h"
#include "platform/shell.h"

namespace nuvaro {

std::string SendLogSlot(const std::string& slot, bool test) {
    if (test) return text::kSendTestSlot;
    return slot.empty() ? std::string(text::kSendUnknownSlot) : slot;
}

NotifyDispatcher::NotifyDispatcher(Shell& shell, std::unique_ptr<NotifyLibraries> libraries,
                                   DeliveryPolicy policy)
    : m_shell(shell),
      m_libraries(std::move(libraries)),
      m_program(std::make_unique<DeliveryChannel>(policy, ReportFor(kProgramChannel))),
      m_sms(std::make_unique<DeliveryChannel>(policy, ReportFor(kSmsChannel))),
      m_mail(std::make_unique<DeliveryChannel>(policy, ReportFor(kEmailChannel))),
      m_gatewayTests(std::make_unique<DeliveryChannel>(
          DeliveryPolicy{.retryPauses = {}, .workers = 1, .queueLimit = 10},
          [](const DeliveryJob&, const std::string&) {})) {}

NotifyDispatcher::~NotifyDispatcher() { Shutdown(); }

void NotifyDispatcher::Dispatch(const TConfig& slot, std::string_view found,
                                std::string_view previous) {
    const std::string number = std::to_string(slot.Index);
    // A page's found texts may be megabytes: notices carry them cut, with their length.
    const NoticeFacts facts{CutText(found), slot.WindowName, slot.url,
                            NowText(),      number,          CutText(previous)};
    std::exception_ptr firstError;
    auto attempt = [&](const std::function<void()>& channel) {
        try {
            channel();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    if (IsOn(slot.OtherOpen)) {
        attempt([&] { StartProgram(slot.OtherProgram, slot.OtherStr, facts, false); });
    }
    if (IsOn(slot.SmsOpen)) attempt([&] { SendSMSNotice(number, facts); });
    if (IsOn(slot.EmailOpen)) attempt([&] { SendEmailNotice(number, facts); });
    if (firstError) std::rethrow_exception(firstError);
}

void NotifyDispatcher::SendSMSNotice(std::string_view slot,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->SmsSender();
    std::string userId = m_libraries->ReadUserId();
    std::string record = m_libraries->ReadWindowsInfo(slot);
    QueueSends({kSmsChannel, std::string(slot), false, facts}, sender, userId, record);
}

void NotifyDispatcher::SendEmailNotice(std::string_view slot,
                                       const std::optional<NoticeFacts>& facts) {
    // The mail leaves at once: holding it behind a box that shows the raw record would keep
    // an unattended user from ever being told.
    auto sender = m_libraries->MailSender();
    std::string record = m_libraries->ReadWindowsInfo(slot);
    std::string account = m_libraries->ReadEmail();
    QueueSends({kEmailChannel, std::string(slot), false, facts}, sender, account, record);
}

void NotifyDispatcher::SendSMSToTest(std::string_view record,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->SmsSender();
    std::string userId = m_libraries->ReadUserId();
    std::string slot = facts ? facts->slot : std::string();
    QueueSends({kSmsChannel, slot, true, facts}, sender, userId, std::string(record));
}

void NotifyDispatcher::SendEmailTest(std::string_view record,
                                     const std::optional<NoticeFacts>& facts) {
    auto sender = m_libraries->MailSender();
    std::string account = m_libraries->ReadEmail();
    std::string slot = facts ? facts->slot : std::string();
    QueueSends({kEmailChannel, slot, true, facts}, sender, account, std::string(record));
}

// Each recipient is a delivery of its own; a record without recipients still makes one, which
// the sender logs as failed for want of a recipient.
void NotifyDispatcher::QueueSends(const Notice& notice, const NotifyLibraries::Sender& sender,
                                  const std::string& account, const std::string& record) {
    const std::string facts = notice.facts ? EncodeNoticeFacts(*notice.facts) : std::string();
    std::vector<std::string> recipients = sender.recipients(record);
    if (recipients.empty()) recipients.emplace_back();
    for (auto& recipient : recipients) {
        DeliveryJob job;
        job.slot = notice.slot;
        job.windowName = notice.facts ? notice.facts->name : std::string();
        job.recipient = recipient;
        job.test = notice.test;
        job.run = [send = sender.send,
                   one = SendTry{account, record, facts, recipient, 1}](int attempt) mutable {
            one.attempt = attempt;
            return send(one);
        };
        Queue(notice.channel, std::move(job));
    }
}

void NotifyDispatcher::StartProgram(std::string_view file, std::string_view parameters,
                                    const NoticeFacts& facts, bool test) {
    DeliveryJob job;
    job.slot = facts.slot;
    job.windowName = facts.name;
    job.recipient = std::string(file);
    job.test = test;
    job.run = [this, file = std::string(file),
               parameters = FillProgramParameters(parameters, facts),
               label = SendLogSlot(facts.slot, test)](int attempt) {
        bool started = m_shell.Execute(file, parameters);
        std::string reason = started ? std::string() : Gbk(text::kSendNoProgram);
        Delivery line{std::string(kProgramChannel), label, file, started, reason, attempt};
        AppendSendLog(ExeDir(), SendLogLine(NowText(), line));
        return TryResult{started ? TryOutcome::Sent : TryOutcome::Permanent, reason};
    };
    Queue(kProgramChannel, std::move(job));
}

void NotifyDispatcher::SendSmsGatewayTest(const SmsSettings& settings, std::string_view mobile,
                                          std::string_view countryCode, std::string_view text,
                                          std::function<void(const TryResult&)> done) {
    auto sender = m_libraries->SmsSender();
    DeliveryJob job;
    job.recipient = std::string(mobile);
    job.test = true;
    job.run = [send = sender.send, done,
               one = SendTry{EncodeSmsSettingsAccount(settings),
                             SmsTestRecord({}, text, mobile, countryCode),
                             {},
                             std::string(mobile),
                             1}](int) {
        TryResult result = send(one);
        if (done) done(result);
        return result;
    };
    if (m_gatewayTests->Add(job)) return;
    const std::string reason = Gbk(m_closing ? text::kSendShutDown : text::kSendQueueFull);
    LogRefused(kSmsChannel, job, reason);
    if (done) done({TryOutcome::Permanent, reason});
}

void NotifyDispatcher::SaveEmail(std::string_view smtp, std::string_view user,
                                 std::string_view password, std::string_view port,
                                 std::string_view flag) {
    m_libraries->SaveEmail(smtp, user, password, port, flag);
}

void NotifyDispatcher::SetFailureObserver(std::function<void(const FailedNotice&)> observer) {
    std::lock_guard lock(m_observerMutex);
    m_observer = std::move(observer);
}

DeliveryChannel& NotifyDispatcher::ChannelOf(std::string_view channel) {
    if (channel == kSmsChannel) return *m_sms;
    if (channel == kEmailChannel) return *m_mail;
    return *m_program;
}

DeliveryChannel::FinalFailure NotifyDispatcher::ReportFor(std::string_view channel) {
    return [this, channel](const DeliveryJob& job, const std::string& reason) {
        Report({job.slot, job.windowName, std::string(channel), job.recipient, reason, job.test});
    };
}

void NotifyDispatcher::Report(const FailedNotice& failed) {
    std::function<void(const FailedNotice&)> observer;
    {
        std::lock_guard lock(m_observerMutex);
        observer = m_observer;
    }
    if (observer) observer(failed);
}

// A delivery the program does not take: it is exiting, or too many wait already.
void NotifyDispatcher::LogRefused(std::string_view channel, const DeliveryJob& job,
                                  const std::string& reason) {
    Delivery refused{std::string(channel), SendLogSlot(job.slot, job.test), job.recipient, false,
                     reason};
    AppendSendLog(ExeDir(), SendLogLine(NowText(), refused));
}

void NotifyDispatcher::Queue(std::string_view channel, DeliveryJob job) {
    if (ChannelOf(channel).Add(job)) return;
    if (m_closing) return LogRefused(channel, job, Gbk(text::kSendShutDown));
    std::string reason = Gbk(text::kSendQueueFull);
    LogRefused(channel, job, reason);
    Report({job.slot, job.windowName, std::string(channel), job.recipient, reason, job.test});
}

bool NotifyDispatcher::WaitUntilIdle(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool idle = true;
    for (auto* channel : {m_program.get(), m_sms.get(), m_mail.get(), m_gatewayTests.get()}) {
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
        {kSmsChannel, m_gatewayTests.get()}};
    for (auto [name, channel] : channels) channel->Close();
    bool idle = WaitUntilIdle(grace);
    for (auto [name, channel] : channels) {
        for (const DeliveryJob& job : channel->TakeWaiting()) {
            LogRefused(name, job, Gbk(text::kSendShutDown));
        }
    }
    if (!idle) m_libraries->CancelSends();
    for (auto [name, channel] : channels) channel->Join();
    return idle;
}

}  // namespace nuvaro
