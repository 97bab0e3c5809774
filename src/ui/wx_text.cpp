#include "ui/wx_text.h"

#include "core/gbk.h"

namespace nuvaro {

wxString FromGbk(std::string_view gbk) {
    std::string utf8 = GbkToUtf8(gbk);
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

std::string ToGbk(const wxString& text) {
    wxScopedCharBuffer utf8 = text.utf8_str();
    return Utf8ToGbk(std::string_view(utf8.data(), utf8.length()));
}

wxString FromGbkLines(std::string_view gbk) {
    wxString text = FromGbk(gbk);
    text.Replace("\r\n", "\n");
    return text;
}

std::string ToGbkLines(const wxString& text) {
    wxString crlf = text;
    crlf.Replace("\r\n", "\n");
    crlf.Replace("\n", "\r\n");
    return ToGbk(crlf);
}

}  // namespace nuvaro
