#include "notify/sms_request.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>

#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

// GBK bytes as UTF-8.
std::string Utf8Of(std::string_view gbk) { return ToUtf8(GbkText::FromBytes(std::string(gbk))); }

constexpr std::string_view kSection = "sms";

std::string Key(const IniDocument& doc, std::string_view key) {
    return std::string(TrimControls(doc.ReadGbk(kSection, key).value_or(GbkText()).bytes()));
}

std::string Digits(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c >= '0' && c <= '9') out += c;
    }
    return out;
}

bool ContainsIgnoreCase(std::string_view haystack, std::string_view needle) {
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (EqualsIgnoreAsciiCase(haystack.substr(i, needle.size()), needle)) return true;
    }
    return false;
}

// One placeholder's value and the charset its bytes are in.
struct Value {
    std::string_view name;
    std::string bytes;
    TextCharset charset = TextCharset::Utf8;
};

using Escape = std::function<std::string(std::string_view, TextCharset)>;

std::string Fill(std::string_view tmpl, const std::vector<Value>& values, const Escape& escape) {
    std::string out;
    size_t i = 0;
    while (i < tmpl.size()) {
        auto value = std::find_if(values.begin(), values.end(), [&](const Value& v) {
            return tmpl[i] == '{' && tmpl.substr(i, v.name.size()) == v.name;
        });
        if (value == values.end()) {
            out += tmpl[i++];
            continue;
        }
        out += escape(value->bytes, value->charset);
        i += value->name.size();
    }
    return out;
}

size_t CharLength(std::string_view s, size_t at, TextCharset charset) {
    return charset == TextCharset::Gbk ? GbkCharLength(s, at) : Utf8CharLength(s, at);
}

// A header value on one line: line breaks dropped, other control characters written visibly.
std::string HeaderValue(std::string_view s, TextCharset charset) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const size_t length = CharLength(s, i, charset);
        const auto c = static_cast<unsigned char>(s[i]);
        if (length > 1 || (c >= 0x20 && c != 0x7F)) {
            out.append(s.substr(i, length));
        } else if (c != '\r' && c != '\n') {
            out += EscapeLogText(s.substr(i, 1));
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string UrlEncode(std::string_view bytes, TextCharset charset) {
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = CharLength(bytes, i, charset);
        for (size_t k = i; k < i + length; ++k) {
            auto c = static_cast<unsigned char>(bytes[k]);
            bool unreserved = length == 1 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                              (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                                              c == '_' || c == '~');
            if (unreserved) {
                out += static_cast<char>(c);
            } else {
                char buffer[4];
                std::snprintf(buffer, sizeof buffer, "%%%02X", c);
                out += buffer;
            }
        }
        i += length;
    }
    return out;
}

std::string JsonEscape(std::string_view text, TextCharset charset) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = CharLength(text, i, charset);
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (length > 1) {
            out.append(text.substr(i, length));
        } else if (c > (charset == TextCharset::Gbk ? 0x80 : 0x7F)) {
            // A byte that starts no character of the charset: taken with the next one, a
            // gateway would read an escape's backslash as its second byte.
            out += '?';
        } else if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += ch;
        }
        i += length;
    }
    return out;
}

namespace {

std::string NoLineBreaks(std::string_view s) { return HeaderValue(s, TextCharset::Gbk); }

}  // namespace

SmsGateway ReadSmsGateway(const IniDocument& doc) {
    SmsGateway g;
    g.url = Key(doc, "Gateway");
    g.body = doc.ReadGbk(kSection, "Body").value_or(GbkText()).bytes();
    g.method = Key(doc, "Method");
    if (g.method.empty()) g.method = g.body.empty() ? "GET" : "POST";
    for (auto& c : g.method) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    g.contentType = Key(doc, "ContentType");
    if (g.contentType.empty()) g.contentType = "application/x-www-form-urlencoded";
    g.header = Key(doc, "Header");
    g.charset = Key(doc, "Charset");
    g.success = doc.ReadGbk(kSection, "Success").value_or(GbkText()).bytes();
    g.identity = {doc.ReadGbk(kSection, "Account").value_or(GbkText()).bytes(),
                  doc.ReadGbk(kSection, "Token").value_or(GbkText()).bytes()};
    for (const GbkText& status : SplitRecipientList(ToGbk(Key(doc, "Final")))) {
        const auto number = ParseInteger(status.view());
        if (number && *number >= 100 && *number < 1000)
            g.final.push_back(static_cast<long>(*number));
    }
    return g;
}

bool SmsGateway::IsFinal(long status) const {
    return std::find(final.begin(), final.end(), status) != final.end();
}

SmsRequest BuildSmsRequest(const SmsGateway& g, const SmsIdentity& id, std::string_view mobile,
                           std::string_view countryCode, std::string_view textGbk) {
    const bool gbk = EqualsIgnoreAsciiCase(g.charset, "GBK") ||
                     EqualsIgnoreAsciiCase(g.charset, "GB2312") ||
                     EqualsIgnoreAsciiCase(g.charset, "CP936");
    const std::string number = InternationalNumber(mobile, countryCode);
    const std::vector<Value> values = {
        {"{number}", number},
        {"{intl}", number.rfind('+', 0) == 0 ? number.substr(1) : number},
        {"{mobile}", Utf8Of(TrimControls(mobile))},
        {"{code}", Utf8Of(TrimControls(countryCode))},
        {"{text}", gbk ? std::string(textGbk) : Utf8Of(textGbk),
         gbk ? TextCharset::Gbk : TextCharset::Utf8},
        {"{account}", Utf8Of(id.account)},
        {"{token}", Utf8Of(id.token)}};

    SmsRequest r;
    r.method = g.method;
    r.url = Fill(g.url, values, [](std::string_view v, TextCharset c) { return UrlEncode(v, c); });
    if (r.method == "POST") {
        bool json = ContainsIgnoreCase(g.contentType, "json");
        r.body = Fill(g.body, values, json ? Escape(JsonEscape) : Escape(UrlEncode));
        r.headers.push_back("Content-Type: " + NoLineBreaks(g.contentType));
    }
    if (!g.header.empty()) r.headers.push_back(NoLineBreaks(Fill(g.header, values, HeaderValue)));
    return r;
}

std::string InternationalNumber(std::string_view mobile, std::string_view countryCode) {
    mobile = TrimControls(mobile);
    if (mobile.rfind('+', 0) == 0) return "+" + Digits(mobile);
    if (mobile.rfind("00", 0) == 0) return "+" + Digits(mobile.substr(2));
    std::string code = Digits(countryCode);
    if (code.empty()) return std::string(mobile);
    return "+" + code + Digits(mobile);
}

}  // namespace nuvaro
