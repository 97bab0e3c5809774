#include "ui/wx_text.h"

namespace nuvaro {

wxString ToWidget(std::string_view utf8) { return wxString::FromUTF8(utf8.data(), utf8.size()); }

std::string FromWidget(const wxString& text) {
    wxScopedCharBuffer utf8 = text.utf8_str();
    return GbkSafe(std::string_view(utf8.data(), utf8.length()));
}

wxString FromGbk(const GbkText& gbk) { return ToWidget(ToUtf8(gbk)); }

wxString ToWidgetLines(std::string_view utf8) {
    wxString text = ToWidget(utf8);
    text.Replace("\r\n", "\n");
    return text;
}

std::string FromWidgetLines(const wxString& text) {
    wxString crlf = text;
    crlf.Replace("\r\n", "\n");
    crlf.Replace("\n", "\r\n");
    return FromWidget(crlf);
}

}  // namespace nuvaro
