#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace nuvaro {

// A plain-text mail as it goes over SMTP: headers and a base64 UTF-8 body, lines ended by
// CR LF. Texts are UTF-8; addresses are bare (no display names).
struct MailMessage {
    std::string from;
    std::string to;
    std::string subject;
    std::string body;
    std::time_t date = 0;
    std::string messageId;  // without the angle brackets
};

std::string ComposeMail(const MailMessage& mail);

// "Thu, 07 Dec 2026 09:05:03 +0800" in the local time zone, whatever the locale.
std::string MailDate(std::time_t when);

// A fresh "<unique>@<domain>" identifier.
std::string NewMessageId(std::string_view domain);

// "<noticeId>@<domain>": every try of one notice sends a mail with the same identifier, so a
// mail sent again after a crash is recognisably the same. An id unfit for the header (empty,
// too long, other characters than letters, digits, "." and "-") gives a fresh identifier.
std::string NoticeMessageId(std::string_view noticeId, std::string_view domain);

// The header value as RFC 2047 encoded words ("=?UTF-8?B?...?="), each at most 75 characters
// and never splitting a UTF-8 character, folded onto continuation lines. Plain printable ASCII
// that fits on a header line is returned as it is.
std::string EncodeHeaderText(std::string_view utf8);

// Base64; with `lineLength` > 0, lines of that many characters ended by CR LF.
std::string Base64(std::string_view data, size_t lineLength = 0);

}  // namespace nuvaro
