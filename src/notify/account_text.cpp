#include "notify/account_text.h"

#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr std::string_view kMailTag = "email";
constexpr std::string_view kSmsTag = "sms";

bool IsPlain(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("-._~@:+/!").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string EncodeTaggedFields(std::string_view tag,
                               std::initializer_list<std::string_view> fields) {
    std::string out(tag);
    for (auto field : fields) {
        out += '|';
        out += PercentEncodeField(field);
    }
    return out;
}

std::optional<std::vector<std::string>> DecodeTaggedFields(std::string_view text,
                                                           std::string_view tag, size_t count) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t bar = text.find('|', start);
        fields.emplace_back(text.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    if (fields.size() != count + 1 || fields[0] != tag) return std::nullopt;
    std::vector<std::string> decoded;
    for (size_t i = 1; i < fields.size(); ++i) {
        auto field = PercentDecodeField(fields[i]);
        if (!field) return std::nullopt;
        decoded.push_back(std::move(*field));
    }
    return decoded;
}

std::string PercentEncodeField(std::string_view field) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(field.size());
    for (char ch : field) {
        auto c = static_cast<unsigned char>(ch);
        if (IsPlain(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::optional<std::string> PercentDecodeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size()) return std::nullopt;
        int high = HexDigitValue(field[i + 1]), low = HexDigitValue(field[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

// The security choice travels only when there is one, so a text without it reads as before.
std::string EncodeMailAccount(const MailAccount& a) {
    if (a.security.empty())
        return EncodeTaggedFields(kMailTag, {a.smtp, a.port, a.user, a.password});
    return EncodeTaggedFields(kMailTag, {a.smtp, a.port, a.user, a.password, a.security});
}

std::optional<MailAccount> DecodeMailAccount(std::string_view text) {
    auto f = DecodeTaggedFields(text, kMailTag, 5);
    if (!f) f = DecodeTaggedFields(text, kMailTag, 4);
    if (!f) return std::nullopt;
    f->resize(5);
    return MailAccount{(*f)[0], (*f)[1], (*f)[2], (*f)[3], (*f)[4]};
}

std::string EncodeSmsIdentity(const SmsIdentity& id) {
    return EncodeTaggedFields(kSmsTag, {id.account, id.token});
}

std::optional<SmsIdentity> DecodeSmsIdentity(std::string_view text) {
    auto f = DecodeTaggedFields(text, kSmsTag, 2);
    if (!f) return std::nullopt;
    return SmsIdentity{(*f)[0], (*f)[1]};
}

}  // namespace nuvaro
