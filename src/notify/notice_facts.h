#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvaro {

// What a notice says about the moment it was raised, for the placeholders of the window's texts
// ({found}, {name}, {url}, {time}, {slot}, {previous}). All GBK.
struct NoticeFacts {
    std::string found;          // the text the window's condition found
    std::string name;           // the window's name
    std::string url;            // the page address
    std::string time;           // date-time text of the logs
    std::string slot;           // slot number "1".."30"
    std::string previous = {};  // the window's found text notified last; empty before the first
    std::string id = {};        // the notice's own identifier (NewNoticeId), the same at every try
};

// `text` with each placeholder replaced by its fact, in one pass: a fact that itself holds a
// placeholder stays as it is. A GBK character is never split, so a "{" that is the second byte
// of one starts nothing. Text without placeholders comes back unchanged.
std::string FillPlaceholders(std::string_view text, const NoticeFacts& facts);

// The parameter string of the local program (GBK) with the placeholders replaced inside each
// argument after the string has been split, so a fact with blanks or quotes stays inside its
// argument. The result splits into exactly those arguments; a string without placeholders comes
// back unchanged.
std::string FillProgramParameters(std::string_view parameters, const NoticeFacts& facts);

// The facts as one line for the sending plug-ins: every field percent-encoded, so "|", line
// breaks and any length travel whole beside the window record, which stays as it is. A line
// without the id (from a caller that has none) reads back with an empty one.
std::string EncodeNoticeFacts(const NoticeFacts& facts);
// nullopt unless `text` is such a line (an empty text is none).
std::optional<NoticeFacts> DecodeNoticeFacts(std::string_view text);

}  // namespace nuvaro
