#include "notify/sms_request.h"

#include <cctype>
#include <cstdio>
#include <functional>

#include "core/gbk.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr std::string_view kSection = "sms";

std::string Key(const IniDocument& doc, std::string_view key) {
    return std::string(TrimControls(doc.Read(kSection, key).value_or("")));
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

using Escape = std::function<std::string(std::string_view)>;

struct Values {
    std::string number, intl, mobile, code, text, account, token;
};

std::string Fill(std::string_view tmpl, const Values& v, const Escape& escape) {
    const std::pair<std::string_view, const std::string*> names[] = {
        {"{number}", &v.number}, {"{intl}", &v.intl}, {"{mobile}", &v.mobile},
        {"{code}", &v.code},     {"{text}", &v.text}, {"{account}", &v.account},
        {"{token}", &v.token}};
    std::string out;
    size_t i = 0;
    while (i < tmpl.size()) {
        bool replaced = false;
        if (tmpl[i] == '{') {
            for (const auto& [name, value] : names) {
                if (tmpl.substr(i, name.size()) == name) {
                    out += escape(*value);
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += tmpl[i++];
    }
    return out;
}

std::string NoLineBreaks(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

}  // namespace

SmsGateway ReadSmsGateway(const IniDocument& doc) {
    SmsGateway g;
    g.url = Key(doc, "Gateway");
    g.body = doc.Read(kSection, "Body").value_or("");
    g.method = Key(doc, "Method");
    if (g.method.empty()) g.method = g.body.empty() ? "GET" : "POST";
    for (auto& c : g.method) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    g.contentType = Key(doc, "ContentType");
    if (g.contentType.empty()) g.contentType = "application/x-www-form-urlencoded";
    g.header = Key(doc, "Header");
    g.charset = Key(doc, "Charset");
    g.success = doc.Read(kSection, "Success").value_or("");
    g.identity = {doc.Read(kSection, "Account").value_or(""),
                  doc.Read(kSection, "Token").value_or("")};
    return g;
}

SmsRequest BuildSmsRequest(const SmsGateway& g, const SmsIdentity& id, std::string_view mobile,
                           std::string_view countryCode, std::string_view textGbk) {
    bool gbk = EqualsIgnoreAsciiCase(g.charset, "GBK") ||
               EqualsIgnoreAsciiCase(g.charset, "GB2312") ||
               EqualsIgnoreAsciiCase(g.charset, "CP936");
    auto encodeText = [gbk](std::string_view s) { return gbk ? std::string(s) : GbkToUtf8(s); };
    Values v;
    v.number = InternationalNumber(mobile, countryCode);
    v.intl = v.number.rfind('+', 0) == 0 ? v.number.substr(1) : v.number;
    v.mobile = GbkToUtf8(TrimControls(mobile));
    v.code = GbkToUtf8(TrimControls(countryCode));
    v.text = encodeText(textGbk);
    v.account = GbkToUtf8(id.account);
    v.token = GbkToUtf8(id.token);

    SmsRequest r;
    r.method = g.method;
    r.url = Fill(g.url, v, UrlEncode);
    if (r.method == "POST") {
        bool json = ContainsIgnoreCase(g.contentType, "json");
        r.body = Fill(g.body, v, json ? Escape(JsonEscape) : Escape(UrlEncode));
        r.headers.push_back("Content-Type: " + NoLineBreaks(g.contentType));
    }
    if (!g.header.empty()) r.headers.push_back(NoLineBreaks(Fill(g.header, v, NoLineBreaks)));
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

std::string UrlEncode(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += ch;
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

std::string JsonEscape(std::string_view utf8) {
    std::string out;
    for (char ch : utf8) {
        auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

}  // namespace nuvaro
