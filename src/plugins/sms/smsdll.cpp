// The SMS sender: one request to the HTTP gateway of sms.inf per mobile number, each logged.

#include <type_traits>

#include "common/plugin_support.h"
#include "core/curl_session.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"
#include "notify/sms_request.h"
#include "notify/sms_settings.h"

namespace nuvaro::plugin {
namespace {

constexpr std::string_view kSection = "sms";
constexpr size_t kMaxReply = 64 * 1024;

// Everything one notice needs, read once for all its numbers.
struct SmsNotice {
    SmsGateway gateway;
    SmsIdentity identity;
    long connectTimeout, totalTimeout;
    std::string caFile;
    NotifyRecord record;
};

// An account text that carries gateway settings (a test of unsaved settings) stands in for
// sms.inf.
SmsNotice Prepare(std::string_view userId, const GbkText& recordText, std::string_view notice) {
    auto unsaved = DecodeSmsSettingsAccount(userId);
    IniDocument smsInf = unsaved ? std::move(*unsaved) : LoadPluginIni("sms.inf");
    SmsNotice n{ReadSmsGateway(smsInf),
                {},
                SecondsSetting(smsInf, kSection, "ConnectTimeout", 15),
                SecondsSetting(smsInf, kSection, "Timeout", 60),
                smsInf.ReadGbk(kSection, "CaFile").value_or(GbkText()).bytes(),
                ParseNotifyRecord(recordText, LoadPluginIni("Config.inf"))};
    n.identity = DecodeSmsIdentity(userId).value_or(n.gateway.identity);
    if (auto facts = DecodeNoticeFacts(notice)) FillNoticeTexts(n.record, *facts);
    return n;
}

// 408, 429 and 5xx say "not now", unless the gateway documents them as final (501 and 505
// are by their nature); every other refusal stands.
int HttpOutcome(const SmsGateway& gateway, long status) {
    if (status >= 200 && status < 300) return kTrySent;
    if (gateway.IsFinal(status) || status == 501 || status == 505) return kTryPermanent;
    if (status == 408 || status == 429 || (status >= 500 && status < 600)) return kTryPassing;
    return kTryPermanent;
}

// Sends one request; fills in the delivery's outcome.
int Post(const SmsNotice& n, const SmsRequest& request, Delivery& delivery) {
    CurlSession session(n.connectTimeout, n.totalTimeout, n.caFile);
    std::string reply;
    const bool done = PerformHttp(
        session, {request.method, request.url, request.headers, request.body}, reply, kMaxReply);
    if (!done) {
        delivery.detail = ReplyToGbk(session.Error());
        return session.FailureMayPass() ? kTryPassing : kTryPermanent;
    }
    long status = session.ResponseCode();
    const GbkText replyText = ReplyToGbk(reply);
    delivery.detail = ToGbk("HTTP " + std::to_string(status));
    if (!replyText.empty()) delivery.detail += ToGbk(" ") + replyText;
    int outcome = HttpOutcome(n.gateway, status);
    const std::string& success = n.gateway.success;
    if (outcome == kTrySent && !success.empty() && reply.find(success) == std::string::npos &&
        replyText.view().find(success) == std::string::npos) {
        delivery.detail = ToGbk(text::kSendReplyMismatch) + ToGbk("; ") + delivery.detail;
        outcome = kTryPermanent;
    }
    delivery.ok = outcome == kTrySent;
    return outcome;
}

// One number, one try; fills in the delivery and returns the outcome.
int SendTo(const SmsNotice& n, const GbkText& mobile, Delivery& delivery) {
    delivery.slot = SlotLabel(n.record);
    if (mobile.empty()) {
        delivery.detail = ToGbk(text::kSendNoMobile);
        return kTryPermanent;
    }
    if (HasControlCharacter(mobile.view())) {
        delivery.detail = ToGbk(text::kSendBadRecipient);
        return kTryPermanent;
    }
    delivery.recipient =
        GbkText::FromBytes(InternationalNumber(mobile.view(), n.record.contry.view()));
    if (n.gateway.url.empty()) {
        delivery.detail = ToGbk(text::kSendNoGateway);
        return kTryPermanent;
    }
    return Post(n,
                BuildSmsRequest(n.gateway, n.identity, mobile.view(), n.record.contry.view(),
                                n.record.smsBody.view()),
                delivery);
}

bool SendAll(std::string_view userId, const GbkText& recordText) {
    SmsNotice n = Prepare(userId, recordText, {});
    auto serve = [&](const GbkText& mobile, Delivery& delivery) { SendTo(n, mobile, delivery); };
    Delivery delivery{std::string(kSmsChannel), SlotLabel(n.record), {}, false, {}};
    return ServeEach(delivery, SplitRecipientList(n.record.mobile), ToGbk(text::kSendNoMobile),
                     serve);
}

}  // namespace
}  // namespace nuvaro::plugin

using namespace nuvaro;
using namespace nuvaro::plugin;

NUVARO_EXPORT int NUVARO_PLUGIN_CALL SendSms(const char* userId, const char* record) {
    return GuardedSend(kSmsChannel, [&] { return SendAll(Arg(userId), GbkArg(record)); });
}

NUVARO_EXPORT const char* NUVARO_PLUGIN_CALL SmsRecipients(const char* record) {
    return RecordRecipients(record, &NotifyRecord::mobile);
}

NUVARO_EXPORT int NUVARO_PLUGIN_CALL SendSmsTry(const char* userId, const char* record,
                                                const char* notice, const char* recipient,
                                                int attempt, char* reason, int reasonSize) {
    return GuardedTry(kSmsChannel, attempt, reason, reasonSize, [&](Delivery& delivery) {
        SmsNotice n = Prepare(Arg(userId), GbkArg(record), Arg(notice));
        return SendTo(n, GbkArg(recipient), delivery);
    });
}

NUVARO_EXPORT void NUVARO_PLUGIN_CALL CancelSends() { CurlSession::CancelAll(); }

static_assert(std::is_same_v<decltype(&SendSms), SendSmsFn>);
static_assert(std::is_same_v<decltype(&SmsRecipients), RecipientsFn>);
static_assert(std::is_same_v<decltype(&SendSmsTry), SendTryFn>);
static_assert(std::is_same_v<decltype(&CancelSends), CancelSendsFn>);
