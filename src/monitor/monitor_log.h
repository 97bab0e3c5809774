#pragma once

#include <string>
#include <string_view>

#include "core/log_file.h"

namespace nuvaro {

// The line layouts; the lines are GBK. D is the date-time text, S the slot number, W the window
// name (UTF-8), F the found text and E the expression (GBK, as the matcher had them), X the
// window marker. Every text that a page, a server or
// the user wrote (W, F, E, the message) is written with EscapeLogText, so one entry is one
// line whatever it holds; F is first cut to kFoundTextLimit characters (CutText).
namespace loglines {
GbkText RegexMatch(std::string_view d, std::string_view s, std::string_view w, const GbkText& f,
                   const GbkText& e);
GbkText KeywordMatch(std::string_view d, std::string_view s, std::string_view w, const GbkText& e);
GbkText NothingFound(std::string_view d, std::string_view w);
GbkText RepeatSkipped(std::string_view d, std::string_view x, const GbkText& f, std::string_view w);
GbkText ChangeNotified(std::string_view d, std::string_view x, const GbkText& f,
                       std::string_view w);
// A tick whose rule about values could not judge (no element, no number) or did not tell.
GbkText Unjudged(std::string_view d, std::string_view x, bool noElement, bool notDue,
                 const GbkText& f, std::string_view w);
// The site of window S asked to wait until U (date-time text); T is the site ("host:port").
GbkText SiteWait(std::string_view d, std::string_view s, std::string_view u, std::string_view t,
                 std::string_view w);
// The system asked the program to end (R: the request, as "SIGTERM").
GbkText EndRequested(std::string_view d, std::string_view r);
}  // namespace loglines

}  // namespace nuvaro
