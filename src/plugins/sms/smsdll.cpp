// The SMS sender: one request to the HTTP gateway of sms.inf per mobile number, each logged.

#include <type_traits>

#include "common/curl_session.h"
#include "common/plugin_support.h"
#include "core/gbk.h"
#include "core/texts.h"
#include "notify/notify_record.h"
#include "notify/plugin_contract.h"
#include "core/text_util.h"
#include "notify/sms_request.h"

namespace nuvaro::plugin {
namespace {

constexpr std::string_view kSection = "sms";
constexpr size_t kMaxReply = 64 * 1024;

struct Options {
    long connectTimeout, totalTimeout;
    std::string caFile;
};

size_t CollectReply(char* data, size_t size, size_t count, void* userdata) {
    auto* reply = static_cast<std::string*>(userdata);
    size_t n = size * count;
    if (reply->size() < kMaxReply) reply->append(data, std::min(n, kMaxReply - reply->size()));
    return n;
}

// Sends one request; fills the delivery's outcome.
void Post(const SmsGateway& gateway, const SmsRequest& request, const Options& options,
          Delivery& delivery) {
    CurlSession session(options.connectTimeout, options.totalTimeout, options.caFile);
    CURL* curl = session.handle();
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_slist* headers = nullptr;
    for (const auto& header : request.headers) headers = curl_slist_append(headers, header.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    if (request.method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
    } else if (request.method != "GET") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
    std::string reply;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CollectReply);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);

    bool done = session.Perform();
    curl_slist_free_all(headers);
    if (!done) {
        delivery.ok = false;
        delivery.detail = ReplyToGbk(session.Error());
        return;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    std::string replyText = ReplyToGbk(reply);
    delivery.ok = status >= 200 && status < 300;
    delivery.detail = "HTTP " + std::to_string(status) + (replyText.empty() ? "" : " " + replyText);
    if (delivery.ok && !gateway.success.empty() &&
        reply.find(gateway.success) == std::string::npos &&
        replyText.find(gateway.success) == std::string::npos) {
        delivery.ok = false;
        delivery.detail = Gbk(text::kSendReplyMismatch) + "; " + delivery.detail;
    }
}

std::string SlotLabel(const NotifyRecord& record) {
    if (record.kind == NotifyRecord::Kind::Test) return text::kSendTestSlot;
    return record.slot.empty() ? std::string(text::kSendUnknownSlot) : record.slot;
}

bool Send(std::string_view userId, std::string_view recordText) {
    IniDocument smsInf = LoadPluginIni("sms.inf");
    SmsGateway gateway = ReadSmsGateway(smsInf);
    SmsIdentity identity = DecodeSmsIdentity(userId).value_or(gateway.identity);
    Options options{SecondsSetting(smsInf, kSection, "ConnectTimeout", 15),
                    SecondsSetting(smsInf, kSection, "Timeout", 60),
                    smsInf.Read(kSection, "CaFile").value_or("")};
    NotifyRecord record = ParseNotifyRecord(recordText, LoadPluginIni("Config.inf"));

    auto serve = [&](const std::string& mobile, Delivery& delivery) {
        delivery.recipient = InternationalNumber(mobile, record.contry);
        if (gateway.url.empty()) {
            delivery.detail = Gbk(text::kSendNoGateway);
            return;
        }
        Post(gateway, BuildSmsRequest(gateway, identity, mobile, record.contry, record.smsBody),
             options, delivery);
    };
    Delivery delivery{std::string(kSmsChannel), SlotLabel(record), "", false, ""};
    return ServeEach(delivery, SplitRecipientList(record.mobile), Gbk(text::kSendNoMobile), serve);
}

}  // namespace
}  // namespace nuvaro::plugin

using namespace nuvaro;
using namespace nuvaro::plugin;

NUVARO_EXPORT int SendSms(const char* userId, const char* record) {
    return GuardedSend(kSmsChannel, [&] { return Send(Arg(userId), Arg(record)); });
}

NUVARO_EXPORT void CancelSends() { CurlSession::CancelAll(); }

static_assert(std::is_same_v<decltype(&SendSms), SendSmsFn>);
static_assert(std::is_same_v<decltype(&CancelSends), CancelSendsFn>);
