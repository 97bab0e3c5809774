// The mail sender: one SMTP delivery per recipient of the record, each logged.

#include <ctime>
#include <type_traits>
#include <vector>

#include "common/plugin_support.h"
#include "core/curl_session.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "email/smtp_send.h"
#include "notify/mail_message.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"

namespace nuvaro::plugin {
namespace {

// GBK bytes as UTF-8.
std::string Utf8Of(std::string_view gbk) { return ToUtf8(GbkText::FromBytes(std::string(gbk))); }

constexpr std::string_view kSection = "email";

MailAccount Utf8Account(const MailAccount& a) {
    return {Utf8Of(a.smtp), Utf8Of(a.port), Utf8Of(a.user), Utf8Of(a.password), a.security};
}

// The account handed over; email.inf itself when the text is empty or not an account text.
MailAccount AccountFrom(std::string_view text, const IniDocument& emailInf) {
    if (auto account = DecodeMailAccount(text)) return *account;
    auto key = [&](const char* name) {
        return emailInf.ReadGbk(kSection, name).value_or(GbkText()).bytes();
    };
    return {key("Smtp"), key("SmtpPort"), key("UserName"), key("Password"), key("Security")};
}

// Everything one notice needs, read once for all its recipients.
struct MailNotice {
    NotifyRecord record;
    MailAccount account;  // UTF-8
    SmtpOptions options;
    std::string subject;  // UTF-8
    std::string from;
    std::string noticeId;  // the same at every try of the notice; empty for a test
};

MailNotice Prepare(std::string_view accountText, const GbkText& recordText,
                   std::string_view notice) {
    IniDocument emailInf = LoadPluginIni("email.inf");
    MailNotice n;
    n.record = ParseNotifyRecord(recordText, LoadPluginIni("Config.inf"));
    if (n.record.subject.empty()) n.record.subject = ToGbk(text::kMailSubject);
    if (auto facts = DecodeNoticeFacts(notice)) {
        FillNoticeTexts(n.record, *facts);
        n.noticeId = facts->id;
    }
    n.account = Utf8Account(AccountFrom(accountText, emailInf));
    n.options.connectTimeout = SecondsSetting(emailInf, kSection, "ConnectTimeout", 15);
    n.options.totalTimeout = SecondsSetting(emailInf, kSection, "Timeout", 60);
    n.options.caFile = emailInf.ReadGbk(kSection, "CaFile").value_or(GbkText()).bytes();
    n.subject = ToUtf8(n.record.subject);
    n.from = SenderAddress(n.account);
    return n;
}

// One recipient, one try; fills in the delivery and returns the outcome.
int SendTo(const MailNotice& n, const GbkText& to, Delivery& delivery) {
    delivery.slot = SlotLabel(n.record);
    delivery.recipient = to;
    if (to.empty()) {
        delivery.detail = ToGbk(text::kSendNoRecipient);
        return kTryPermanent;
    }
    // A line break would put a command of its own on the wire.
    if (HasControlCharacter(to.view())) {
        delivery.detail = ToGbk(text::kSendBadRecipient);
        return kTryPermanent;
    }
    if (TrimControls(n.account.smtp).empty()) {
        delivery.detail = ToGbk(text::kSendNoSmtp);
        return kTryPermanent;
    }
    auto server = ParseSmtpServer(n.account.smtp, n.account.port, n.account.security);
    if (!server) {
        delivery.detail = ToGbk(text::kSendBadSmtp) + ToGbk(n.account.smtp);
        return kTryPermanent;
    }
    MailMessage mail{n.from,
                     ToUtf8(to),
                     n.subject,
                     ToUtf8(n.record.body),
                     std::time(nullptr),
                     NoticeMessageId(n.noticeId, n.from.substr(n.from.rfind('@') + 1))};
    SmtpResult result =
        SendOverSmtp(*server, n.account, n.options, n.from, mail.to, ComposeMail(mail));
    delivery.ok = result.ok;
    delivery.detail = ReplyToGbk(result.detail);
    if (result.ok) return kTrySent;
    return result.mayPass ? kTryPassing : kTryPermanent;
}

bool SendAll(std::string_view accountText, const GbkText& recordText) {
    MailNotice n = Prepare(accountText, recordText, {});
    auto serve = [&](const GbkText& to, Delivery& delivery) { SendTo(n, to, delivery); };
    Delivery delivery{std::string(kEmailChannel), SlotLabel(n.record), {}, false, {}};
    return ServeEach(delivery, SplitRecipientList(n.record.toMail), ToGbk(text::kSendNoRecipient),
                     serve);
}

}  // namespace
}  // namespace nuvaro::plugin

using namespace nuvaro;
using namespace nuvaro::plugin;

NUVARO_EXPORT int NUVARO_PLUGIN_CALL SendMail(const char* account, const char* record) {
    return GuardedSend(kEmailChannel, [&] { return SendAll(Arg(account), GbkArg(record)); });
}

NUVARO_EXPORT const char* NUVARO_PLUGIN_CALL MailRecipients(const char* record) {
    return RecordRecipients(record, &NotifyRecord::toMail);
}

NUVARO_EXPORT int NUVARO_PLUGIN_CALL SendMailTry(const char* account, const char* record,
                                                 const char* notice, const char* recipient,
                                                 int attempt, char* reason, int reasonSize) {
    return GuardedTry(kEmailChannel, attempt, reason, reasonSize, [&](Delivery& delivery) {
        MailNotice n = Prepare(Arg(account), GbkArg(record), Arg(notice));
        return SendTo(n, GbkArg(recipient), delivery);
    });
}

NUVARO_EXPORT void NUVARO_PLUGIN_CALL CancelSends() { CurlSession::CancelAll(); }

static_assert(std::is_same_v<decltype(&SendMail), SendMailFn>);
static_assert(std::is_same_v<decltype(&MailRecipients), RecipientsFn>);
static_assert(std::is_same_v<decltype(&SendMailTry), SendTryFn>);
static_assert(std::is_same_v<decltype(&CancelSends), CancelSendsFn>);
