#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// How many characters of a service's answer a dialog or a failure line shows.
inline constexpr size_t kReadableAnswerChars = 120;

// A service's answer (an HTTP gateway's "HTTP 404 <!DOCTYPE html>...", an SMTP reply, an error)
// as one short line: the text up to and including an "HTTP nnn" status, then the first line of
// the text after it that holds something, markup stripped and entities decoded when it is
// markup. Control characters and runs of blanks become one blank, a byte that is no character
// becomes "?", and the line is cut to `maxChars` characters, the last of them "…". The whole
// answer belongs in the send log; this line is what the user reads.
std::string ReadableAnswer(std::string_view utf8, size_t maxChars = kReadableAnswerChars);
// The same for GBK text (a plug-in's reason), in GBK.
GbkText ReadableAnswer(const GbkText& gbk, size_t maxChars = kReadableAnswerChars);

// The visible text of markup, one line break where a block (paragraph, heading, title, list
// item, line break...) ends; script, style and comments dropped; entities decoded.
std::string MarkupText(std::string_view markup);

}  // namespace nuvaro
