#include "notify/sms_settings.h"

#include <utility>

#include "core/atomic_file.h"
#include "core/gbk.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "notify/account_text.h"

namespace nuvaro {
namespace {

constexpr std::string_view kSection = "sms";
constexpr std::string_view kAccountTag = "smsinf";

// Every key in the order a new file gets them, with its field.
const std::pair<const char*, std::string SmsSettings::*> kKeys[] = {
    {"Gateway", &SmsSettings::gateway},
    {"Method", &SmsSettings::method},
    {"Body", &SmsSettings::body},
    {"ContentType", &SmsSettings::contentType},
    {"Charset", &SmsSettings::charset},
    {"Header", &SmsSettings::header},
    {"Account", &SmsSettings::account},
    {"Token", &SmsSettings::token},
    {"Success", &SmsSettings::success},
    {"Timeout", &SmsSettings::timeout},
    {"ConnectTimeout", &SmsSettings::connectTimeout},
    {"CaFile", &SmsSettings::caFile},
};

bool StartsWithIgnoreCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           EqualsIgnoreAsciiCase(text.substr(0, start.size()), start);
}

bool HasAny(const SmsSettings& s, std::initializer_list<std::string_view> placeholders) {
    for (const std::string* text : {&s.gateway, &s.body, &s.header}) {
        for (auto placeholder : placeholders) {
            if (text->find(placeholder) != std::string::npos) return true;
        }
    }
    return false;
}

bool GoodSeconds(std::string_view value) {
    value = TrimControls(value);
    if (value.empty()) return true;
    auto seconds = ParseInteger(value);
    return seconds && *seconds >= 1 && *seconds <= 600;
}

std::string BadSeconds(const char* label) {
    std::string name = label;
    if (name.size() >= 3 && name.compare(name.size() - 3, 3, "：") == 0)
        name.resize(name.size() - 3);
    std::string message = text::kSmsBadSeconds;
    return message.replace(message.find("%s"), 2, name);
}

// "Name: value", the name a token of the header grammar.
bool GoodHeader(std::string_view header) {
    const size_t colon = header.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    for (char c : header.substr(0, colon)) {
        auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F ||
            std::string_view("()<>@,;:\\\"/[]?={}").find(c) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

SmsSettings ReadSmsSettings(const IniDocument& doc) {
    SmsSettings s;
    for (const auto& [key, field] : kKeys)
        s.*field = doc.Read(kSection, key).value_or(std::string());
    return s;
}

void WriteSmsSettings(IniDocument& doc, const SmsSettings& s) {
    for (const auto& [key, field] : kKeys) {
        if (!(s.*field).empty() || doc.Read(kSection, key)) doc.Write(kSection, key, s.*field);
    }
}

std::vector<std::string> CheckSmsSettings(const SmsSettings& s) {
    std::vector<std::string> problems;
    const std::string_view gateway = TrimControls(s.gateway);
    const std::string_view method = TrimControls(s.method);
    const bool web =
        StartsWithIgnoreCase(gateway, "http://") || StartsWithIgnoreCase(gateway, "https://");
    if (gateway.empty()) {
        problems.push_back(text::kSmsNeedGateway);
    } else if (!web || gateway.find_first_of(" \t") != std::string_view::npos) {
        problems.push_back(text::kSmsBadGateway);
    }
    if (!method.empty() && !EqualsIgnoreAsciiCase(method, "GET") &&
        !EqualsIgnoreAsciiCase(method, "POST")) {
        problems.push_back(text::kSmsBadMethod);
    }
    if (EqualsIgnoreAsciiCase(method, "GET") && !s.body.empty()) {
        problems.push_back(text::kSmsBodyWithGet);
    }
    const std::string_view header = TrimControls(s.header);
    if (!header.empty() && !GoodHeader(header)) problems.push_back(text::kSmsBadHeader);
    const std::string_view charset = TrimControls(s.charset);
    if (!charset.empty() && !EqualsIgnoreAsciiCase(charset, "UTF-8") &&
        !EqualsIgnoreAsciiCase(charset, "GBK")) {
        problems.push_back(text::kSmsBadCharset);
    }
    if (!GoodSeconds(s.timeout)) problems.push_back(BadSeconds(text::kSmsTimeout));
    if (!GoodSeconds(s.connectTimeout)) problems.push_back(BadSeconds(text::kSmsConnectTimeout));
    if (!gateway.empty() && !HasAny(s, {"{number}", "{intl}", "{mobile}"})) {
        problems.push_back(text::kSmsNoNumberPlaceholder);
    }
    if (!gateway.empty() && !HasAny(s, {"{text}"})) problems.push_back(text::kSmsNoTextPlaceholder);
    const std::string_view caFile = TrimControls(s.caFile);
    if (!caFile.empty() && !ReadWholeFile(std::string(caFile))) {
        problems.push_back(text::kSmsNoCaFile + std::string(caFile));
    }
    return problems;
}

std::string EncodeSmsSettingsAccount(const SmsSettings& settings) {
    IniDocument doc;
    WriteSmsSettings(doc, settings);
    return EncodeTaggedFields(kAccountTag, {doc.Serialize()});
}

std::optional<IniDocument> DecodeSmsSettingsAccount(std::string_view account) {
    auto fields = DecodeTaggedFields(account, kAccountTag, 1);
    if (!fields) return std::nullopt;
    return IniDocument::Parse((*fields)[0]);
}

}  // namespace nuvaro
