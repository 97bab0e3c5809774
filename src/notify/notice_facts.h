#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// What a notice says about the moment it was raised, for the placeholders of the window's texts
// ({found}, {name}, {url}, {time}, {slot}, {previous}, {value}), as the records carry them.
struct NoticeFacts {
    GbkText found;          // the text the window's condition found
    GbkText name;           // the window's name
    GbkText url;            // the page address
    std::string time;       // date-time text of the logs (ASCII)
    std::string slot;       // slot number "1".."30"
    GbkText previous = {};  // the window's found text notified last; empty before the first
    std::string id = {};    // the notice's own identifier (NewNoticeId), the same at every try
    GbkText value = {};     // the number read, as the page wrote it; empty without a rule
    // What the notice tells: empty for a change of the page, else a kind of notice of its own
    // (kNoticeFailing, ...) whose `subject` and `message` replace the window's texts.
    std::string kind = {};
    GbkText subject = {};
    GbkText message = {};
    // How many changes this notice stands for since the one sent before it, when the outbox
    // folded several into it (its texts then begin with the count); 0 or 1: itself only.
    int folded = 0;
};

// Kinds of notices besides a change.
inline constexpr const char* kNoticeFailing = "failing";
inline constexpr const char* kNoticeReminder = "reminder";
inline constexpr const char* kNoticeRecovered = "recovered";
inline constexpr const char* kNoticeReport = "report";

// The texts of a notice (mail subject and body, SMS text) from the window's texts and the
// facts: a notice of its own kind says its own message; a folded one begins with the count.
struct NoticeTexts {
    GbkText subject, body, sms;
};
NoticeTexts FillNoticeFacts(const NoticeTexts& window, const NoticeFacts& facts);

// `text` with each placeholder replaced by its fact, in one pass: a fact that itself holds a
// placeholder stays as it is. A GBK character is never split, so a "{" that is the second byte
// of one starts nothing. Text without placeholders comes back unchanged.
GbkText FillPlaceholders(const GbkText& text, const NoticeFacts& facts);

// The parameter string of the local program with the placeholders replaced inside each
// argument after the string has been split, so a fact with blanks or quotes stays inside its
// argument. The result splits into exactly those arguments; a string without placeholders comes
// back unchanged.
GbkText FillProgramParameters(const GbkText& parameters, const NoticeFacts& facts);

// The facts as one line for the sending plug-ins: every field percent-encoded, so "|", line
// breaks and any length travel whole beside the window record, which stays as it is. A line
// without the id (from a caller that has none) reads back with an empty one. The line is ASCII.
std::string EncodeNoticeFacts(const NoticeFacts& facts);
// nullopt unless `text` is such a line (an empty text is none).
std::optional<NoticeFacts> DecodeNoticeFacts(std::string_view text);

}  // namespace nuvaro
