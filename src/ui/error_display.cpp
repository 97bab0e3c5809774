#include "ui/error_display.h"

#include <wx/app.h>

#include "core/texts.h"
#include "ui/wx_text.h"
#include "platform/notices.h"
#include "platform/services.h"

namespace nuvaro {

wxString MessageText(std::string_view message) {
    wxString text = wxString::FromUTF8(message.data(), message.size());
    if (text.empty() && !message.empty()) text = FromGbk(message);
    return text;
}

void ShowDefaultError(const wxString& message) {
    wxWindow* owner = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    GetNotices().Box(owner, message, U8(text::kAppTitle), Notices::Icon::Error,
                     Notices::Buttons::Ok);
}

}  // namespace nuvaro
