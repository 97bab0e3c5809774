// The settings dialogs' tries of unsaved settings: the SMS gateway's and the mail account's.
#include "core/gbk.h"
#include "core/setup_texts.h"
#include "core/texts.h"
#include "notify/notify_dispatcher.h"
#include "notify/notify_record.h"
#include "notify/send_log.h"
#include "notify/smtp_address.h"

namespace nuvaro {

void NotifyDispatcher::SendMailAccountTest(const MailAccount& account,
                                           std::function<void(const TryResult&)> done) {
    const GbkText to = GbkText::FromBytes(SenderAddress(account));
    RunSettingsTest(kEmailChannel, m_libraries->MailSender(),
                    {GbkText::FromBytes(EncodeMailAccount(account)),
                     EmailTestRecord(to, ToGbk(text::kMailTestText), {}, {}),
                     {},
                     to,
                     1},
                    std::move(done));
}

void NotifyDispatcher::RunSettingsTest(std::string_view channel,
                                       const NotifyLibraries::Sender& sender, SendTry one,
                                       std::function<void(const TryResult&)> done) {
    DeliveryJob job;
    job.recipient = one.recipient;
    job.test = true;
    job.run = [send = sender.send, done, one = std::move(one)](int) {
        TryResult result = send(one);
        if (done) done(result);
        return result;
    };
    if (m_gatewayTests->Add(job)) return;
    const GbkText reason = ToGbk(m_closing ? text::kSendShutDown : text::kSendQueueFull);
    LogRefused(channel, job, reason);
    if (done) done({TryOutcome::Permanent, reason});
}

void NotifyDispatcher::SaveEmailSecurity(const GbkText& security) {
    m_libraries->SaveEmailSecurity(security);
}

}  // namespace nuvaro
