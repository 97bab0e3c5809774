#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "services/page_source.h"

namespace nuvaro {

// The scripts the browsers run in a page (ES5, so every engine runs them) and how their
// answers read.

// Title and body in one answer: "B" title U+0001 body, or "N" title without a body.
extern const char* const kReadPageScript;
// The script that reads what `query` asks for, answering as kReadPageScript does; besides, "Z"
// title when the selector selects nothing and "E" reason when the engine refuses it.
std::string ReadPageScript(const PageQuery& query);

// Whether the page has settled. The watcher keeps, once per document, when the document last
// changed and how many requests the page itself has sent with XMLHttpRequest are still running
// (in window.__nuvaroQuiet of the world it runs in); a browser that counts the page's requests
// itself installs it at the start of every document, in a world of its own.
extern const char* const kSettleWatchScript;
// Milliseconds since the document last changed, as a number; -1 where the watcher is missing.
extern const char* const kSettleSinceChangeScript;
// Milliseconds since the page last changed its document or ended a request of its own, as text;
// "0" while the document or such a request is still loading. Installs the watcher where it is
// missing.
extern const char* const kSettleScript;
// How quiet a page counts that cannot tell: a browser without one, a document without the
// watcher.
inline constexpr std::chrono::milliseconds kLongQuiet{60000};

// Parses an answer of kReadPageScript (UTF-8) into GBK texts.
PageContent ParsePageRead(std::string_view utf8);

// Whether `url` names its scheme ("http://", "about:", "file:", ...); an address without one is
// taken as http.
bool HasScheme(const std::string& url);

}  // namespace nuvaro
