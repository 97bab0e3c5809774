#include "notify/mail_message.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <random>

#include "core/log_escape.h"
#include "core/system.h"

namespace nuvaro {
namespace {

constexpr size_t kMaxEncodedWord = 75;
constexpr std::string_view kWordStart = "=?UTF-8?B?";
constexpr std::string_view kWordEnd = "?=";
// Plain text longer than this goes in encoded words too: a header line may not pass 998
// characters, its name included.
constexpr size_t kMaxPlainHeader = 900;

bool IsPlainHeaderText(std::string_view s) {
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F) return false;
    }
    return s.find("=?") == std::string_view::npos;
}

size_t Utf8Length(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// Header values never carry a line break of their own, nor another control character raw
// (written visibly instead). UTF-8 holds control characters only as single bytes.
std::string SingleLine(std::string_view s) {
    std::string out;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '\r' || c == '\n') {
            out += ' ';
        } else if (c < 0x20 || c == 0x7F) {
            out += EscapeLogText(std::string_view(&ch, 1));
        } else {
            out += ch;
        }
    }
    return out;
}

// Line ends made CR LF, so that the base64 body decodes to canonical text.
std::string CanonicalLines(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string Base64(std::string_view data, size_t lineLength) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4 + data.size() / 20 + 4);
    size_t column = 0;
    auto put = [&](char c) {
        out += c;
        if (lineLength > 0 && ++column == lineLength) {
            out += "\r\n";
            column = 0;
        }
    };
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t n = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size()) n |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < data.size()) n |= static_cast<unsigned char>(data[i + 2]);
        put(kAlphabet[(n >> 18) & 63]);
        put(kAlphabet[(n >> 12) & 63]);
        put(i + 1 < data.size() ? kAlphabet[(n >> 6) & 63] : '=');
        put(i + 2 < data.size() ? kAlphabet[n & 63] : '=');
    }
    if (lineLength > 0 && column > 0) out += "\r\n";
    return out;
}

std::string EncodeHeaderText(std::string_view utf8) {
    if (IsPlainHeaderText(utf8) && utf8.size() <= kMaxPlainHeader) return std::string(utf8);
    // 4 base64 characters per 3 bytes must fit between the word's start and end marks.
    const size_t maxBytes = (kMaxEncodedWord - kWordStart.size() - kWordEnd.size()) / 4 * 3;
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t end = i;
        while (end < utf8.size()) {
            size_t len = Utf8Length(static_cast<unsigned char>(utf8[end]));
            if (end + len - i > maxBytes) break;
            end += len;
        }
        if (end == i) end = std::min(utf8.size(), i + maxBytes);  // a broken sequence
        end = std::min(end, utf8.size());
        if (!out.empty()) out += "\r\n ";
        out.append(kWordStart).append(Base64(utf8.substr(i, end - i))).append(kWordEnd);
        i = end;
    }
    return out;
}

namespace {

// Minutes the local time of `when` is ahead of UTC (negative west of Greenwich).
long UtcOffsetMinutes(std::time_t when, const std::tm& local) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    long days = local.tm_year == utc.tm_year ? local.tm_yday - utc.tm_yday
                                             : (local.tm_year > utc.tm_year ? 1 : -1);
    return days * 1440 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}

}  // namespace

std::string MailDate(std::time_t when) {
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm t{};
    localtime_r(&when, &t);
    long offset = UtcOffsetMinutes(when, t);
    char sign = offset < 0 ? '-' : '+';
    if (offset < 0) offset = -offset;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[t.tm_wday], t.tm_mday, kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour,
                  t.tm_min, t.tm_sec, sign, offset / 60, offset % 60);
    return buffer;
}

std::string NewMessageId(std::string_view domain) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%lld.%d.%u.%08x%08x",
                  static_cast<long long>(std::time(nullptr)), static_cast<int>(ProcessId()),
                  counter.fetch_add(1), random(), random());
    return std::string(buffer) + "@" + std::string(domain.empty() ? "localhost" : domain);
}

std::string NoticeMessageId(std::string_view noticeId, std::string_view domain) {
    const bool fit = !noticeId.empty() && noticeId.size() <= 64 &&
                     std::all_of(noticeId.begin(), noticeId.end(), [](char c) {
                         return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                                (c >= 'A' && c <= 'Z') || c == '.' || c == '-';
                     });
    if (!fit) return NewMessageId(domain);
    return std::string(noticeId) + "@" + std::string(domain.empty() ? "localhost" : domain);
}

std::string ComposeMail(const MailMessage& mail) {
    std::string out;
    out += "Date: " + MailDate(mail.date) + "\r\n";
    out += "From: <" + SingleLine(mail.from) + ">\r\n";
    out += "To: <" + SingleLine(mail.to) + ">\r\n";
    out += "Subject: " + EncodeHeaderText(SingleLine(mail.subject)) + "\r\n";
    out += "Message-ID: <" + SingleLine(mail.messageId) + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "\r\n";
    out += Base64(CanonicalLines(mail.body), 76);
    return out;
}

}  // namespace nuvaro
