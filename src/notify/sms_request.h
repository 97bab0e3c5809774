#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ini_file.h"
#include "notify/account_text.h"

namespace nuvaro {

// The HTTP SMS gateway, section "sms" of sms.inf. Templates may hold the placeholders
// {number} (international form, "+8613800138000"), {intl} (the same without "+"), {mobile}
// and {code} (as the recipient settings hold them), {text}, {account} and {token}.
struct SmsGateway {
    std::string url;          // Gateway: address template; placeholders URL-encoded
    std::string method;       // Method: "GET" or "POST" (POST when a Body is given)
    std::string body;         // Body: POST body template
    std::string contentType;  // ContentType: form-encoded unless set; "json" in it escapes
                              // the body's placeholders for JSON strings instead
    std::string header;       // Header: one extra request header template ("Name: value");
                              // values lose line breaks, other control characters are written
                              // visibly (\xHH)
    std::string charset;      // Charset: "UTF-8" (default) or "GBK" for the text
    std::string success;      // Success: a text that the reply must contain to count as sent
    SmsIdentity identity;     // Account, Token
    // Final: the HTTP statuses the gateway documents as final refusals (a list of numbers):
    // such an answer is not tried again, a 5xx, 408 or 429 among them included.
    std::vector<long> final;
    bool IsFinal(long status) const;
};

SmsGateway ReadSmsGateway(const IniDocument& smsInf);

struct SmsRequest {
    std::string method;
    std::string url;
    std::string body;
    std::vector<std::string> headers;
};

// The request that sends `textGbk` to one number.
SmsRequest BuildSmsRequest(const SmsGateway& gateway, const SmsIdentity& identity,
                           std::string_view mobile, std::string_view countryCode,
                           std::string_view textGbk);

// "+" and the digits of the country code and of the number. A number that already begins with
// "+" or "00" keeps its own code; without a country code the number stays as it is.
std::string InternationalNumber(std::string_view mobile, std::string_view countryCode);

// The charset of a text's bytes. Escaping walks its characters, never bytes: a GBK trail byte
// can be "\\" or "\"".
enum class TextCharset { Utf8, Gbk };

// Every character but RFC 3986 unreserved ones as %XX, each byte of it.
std::string UrlEncode(std::string_view bytes, TextCharset charset = TextCharset::Utf8);

// The contents of a JSON string literal (without the quotes), in the text's own charset; a byte
// that is no character of it becomes "?".
std::string JsonEscape(std::string_view text, TextCharset charset = TextCharset::Utf8);

}  // namespace nuvaro
