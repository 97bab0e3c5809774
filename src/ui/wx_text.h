#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// The one place where widget text (wxString) and program text meet. Program text is UTF-8 and
// holds only what the settings files (GBK) can keep: a character GBK cannot hold becomes '?'.
wxString ToWidget(std::string_view utf8);
std::string FromWidget(const wxString& text);
// GBK bytes (a page's source, a log's lines) shown as they are.
wxString FromGbk(const GbkText& gbk);

// Texts of several lines: the program keeps CR LF between lines, the widgets LF.
wxString ToWidgetLines(std::string_view utf8);
std::string FromWidgetLines(const wxString& text);

// The program's own UTF-8 literals (core/texts.h) as widget text.
inline wxString U8(const char* utf8) { return wxString::FromUTF8(utf8); }

}  // namespace nuvaro
