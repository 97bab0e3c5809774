#pragma once

#include <string>
#include <string_view>

#include "core/log_file.h"

namespace nuvaro {

// The line layouts, all GBK. D is the date-time text, S the slot number, W the window name,
// F the found text, E the expression, X the window marker. Every text that a page, a server or
// the user wrote (W, F, E, the message) is written with EscapeLogText, so one entry is one
// line whatever it holds; F is first cut to kFoundTextLimit characters (CutText).
namespace loglines {
std::string RegexMatch(std::string_view d, std::string_view s, std::string_view w,
                       std::string_view f, std::string_view e);
std::string KeywordMatch(std::string_view d, std::string_view s, std::string_view w,
                         std::string_view e);
std::string NothingFound(std::string_view d, std::string_view w);
std::string RepeatSkipped(std::string_view d, std::string_view x, std::string_view f,
                          std::string_view w);
std::string ChangeNotified(std::string_view d, std::string_view x, std::string_view f,
                           std::string_view w);
}  // namespace loglines

}  // namespace nuvaro
