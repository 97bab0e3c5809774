// The mail sender: one SMTP delivery per recipient of the record, each logged.

#include <ctime>
#include <type_traits>
#include <vector>

#include "common/curl_session.h"
#include "common/plugin_support.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "email/smtp_send.h"
#include "notify/mail_message.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"

namespace nuvaro::plugin {
namespace {

constexpr std::string_view kSection = "email";

MailAccount Utf8Account(const MailAccount& a) {
    return {GbkToUtf8(a.smtp), GbkToUtf8(a.port), GbkToUtf8(a.user), GbkToUtf8(a.password)};
}

// The account handed over; email.inf itself when the text is empty or not an account text.
MailAccount AccountFrom(std::string_view text, const IniDocument& emailInf) {
    if (auto account = DecodeMailAccount(text)) return *account;
    auto key = [&](const char* name) { return emailInf.Read(kSection, name).value_or(""); };
    return {key("Smtp"), key("SmtpPort"), key("UserName"), key("Password")};
}

std::string SlotLabel(const NotifyRecord& record) {
    if (record.kind == NotifyRecord::Kind::Test) return text::kSendTestSlot;
    return record.slot.empty() ? std::string(text::kSendUnknownSlot) : record.slot;
}

bool Send(std::string_view accountText, std::string_view recordText) {
    IniDocument emailInf = LoadPluginIni("email.inf");
    NotifyRecord record = ParseNotifyRecord(recordText, LoadPluginIni("Config.inf"));
    MailAccount account = Utf8Account(AccountFrom(accountText, emailInf));
    SmtpOptions options;
    options.connectTimeout = SecondsSetting(emailInf, kSection, "ConnectTimeout", 15);
    options.totalTimeout = SecondsSetting(emailInf, kSection, "Timeout", 60);
    options.caFile = emailInf.Read(kSection, "CaFile").value_or("");

    std::string subject =
        record.subject.empty() ? std::string(text::kMailSubject) : GbkToUtf8(record.subject);
    std::string from = SenderAddress(account);
    auto at = from.rfind('@');
    auto serve = [&](const std::string& to, Delivery& delivery) {
        delivery.recipient = to;
        if (TrimControls(account.smtp).empty()) {
            delivery.detail = Gbk(text::kSendNoSmtp);
            return;
        }
        MailMessage mail{from,
                         GbkToUtf8(to),
                         subject,
                         GbkToUtf8(record.body),
                         std::time(nullptr),
                         NewMessageId(from.substr(at + 1))};
        SmtpResult result = SendOverSmtp(account, options, from, mail.to, ComposeMail(mail));
        delivery.ok = result.ok;
        delivery.detail = ReplyToGbk(result.detail);
    };
    Delivery delivery{std::string(kEmailChannel), SlotLabel(record), "", false, ""};
    return ServeEach(delivery, SplitRecipientList(record.toMail), Gbk(text::kSendNoRecipient),
                     serve);
}

}  // namespace
}  // namespace nuvaro::plugin

using namespace nuvaro;
using namespace nuvaro::plugin;

NUVARO_EXPORT int SendMail(const char* account, const char* record) {
    return GuardedSend(kEmailChannel, [&] { return Send(Arg(account), Arg(record)); });
}

NUVARO_EXPORT void CancelSends() { CurlSession::CancelAll(); }

static_assert(std::is_same_v<decltype(&SendMail), SendMailFn>);
static_assert(std::is_same_v<decltype(&CancelSends), CancelSendsFn>);
