#include "monitor/load_reason.h"

#include <cctype>

#include "core/text_util.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

bool Has(std::string_view text, std::string_view part) {
    for (size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (EqualsIgnoreAsciiCase(text.substr(i, part.size()), part)) return true;
    }
    return false;
}

bool HasAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (auto part : parts) {
        if (Has(text, part)) return true;
    }
    return false;
}

// The kinds of failure, tried in this order: a message may name several ("Could not connect
// to x: Connection timed out" is a time-out).
const char* ReasonOf(std::string_view m) {
    if (HasAny(m, {"certificate", "TLS", "SSL", "handshake"})) return text::kWhyCertificate;
    if (HasAny(m, {"Error resolving", "resolve", "Name or service not known",
                   "No address associated", "name resolution", "Unknown host"})) {
        return text::kWhyUnknownHost;
    }
    if (HasAny(m, {"timed out", "timeout"})) return text::kWhyTimedOut;
    if (Has(m, "refused")) return text::kWhyRefused;
    if (HasAny(m, {"reset", "terminated unexpectedly", "closed unexpectedly", "broken pipe"})) {
        return text::kWhyReset;
    }
    if (HasAny(m, {"unreachable", "No route to host"})) return text::kWhyUnreachable;
    if (HasAny(m, {"No such file", "not found"})) return text::kWhyNoFile;
    if (HasAny(m, {"Unsupported URI", "Invalid URI", "Invalid URL", "not supported", "scheme"})) {
        return text::kWhyBadAddress;
    }
    return text::kWhyOther;
}

// A Chinese character (U+4E00..U+9FFF in UTF-8) first.
bool StartsChinese(std::string_view m) {
    const auto lead = static_cast<unsigned char>(m[0]);
    return m.size() >= 3 && lead >= 0xE4 && lead <= 0xE9;
}

// The status of our own "HTTP <status>" message; 0 for any other.
int HttpStatusOf(std::string_view m) {
    if (m.substr(0, 5) != "HTTP ") return 0;
    auto status = ParseInteger(m.substr(5));
    return status && *status >= 100 && *status <= 999 ? static_cast<int>(*status) : 0;
}

}  // namespace

std::string HttpStatusReason(int status) {
    const std::string code = "HTTP " + std::to_string(status);
    for (const auto& known : text::kHttpStatuses) {
        if (known.status == status) {
            return std::string(known.chinese) + "（" + code + " " + known.english + "）";
        }
    }
    return std::string(status >= 500 ? text::kWhyHttp5xx : text::kWhyHttp4xx) + "（" + code + "）";
}

std::string LoadFailureReason(std::string_view engineMessage) {
    std::string_view m = TrimControls(engineMessage);
    if (m.empty()) return text::kWhyOther;
    if (StartsChinese(m)) return std::string(m);  // one of ours
    if (int status = HttpStatusOf(m)) return HttpStatusReason(status);
    return std::string(ReasonOf(m)) + "（" + std::string(m) + "）";
}

std::string NoAnswerReason(int seconds) {
    std::string reason = text::kWhyNoAnswer;
    reason.replace(reason.find("%d"), 2, std::to_string(seconds));
    return reason;
}

}  // namespace nuvaro
