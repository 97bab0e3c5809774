#pragma once

#include <string>
#include <string_view>

#include "services/page_source.h"

namespace nuvaro {

// The scripts the browsers run in a page (ES5, so every engine runs them) and how their
// answers read.

// Title and body in one answer: "B" title U+0001 body, or "N" title without a body.
extern const char* const kReadPageScript;

// Parses an answer of kReadPageScript (UTF-8) into GBK texts.
PageContent ParsePageRead(std::string_view utf8);

// Whether `url` names its scheme ("http://", "about:", "file:", ...); an address without one is
// taken as http.
bool HasScheme(const std::string& url);

}  // namespace nuvaro
