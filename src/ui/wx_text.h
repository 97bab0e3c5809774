#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace nuvaro {

// The one place where widget text (wxString) and program text (GBK bytes) meet.
wxString FromGbk(std::string_view gbk);
std::string ToGbk(const wxString& text);

// Texts of several lines: the program keeps CR LF between lines, the widgets LF.
wxString FromGbkLines(std::string_view gbk);
std::string ToGbkLines(const wxString& text);

// The program's own UTF-8 literals (core/texts.h) as widget text.
inline wxString U8(const char* utf8) { return wxString::FromUTF8(utf8); }

}  // namespace nuvaro
