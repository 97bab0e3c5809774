#include "platform/notices.h"

#include "core/texts.h"
#include "ui/wx_text.h"

namespace nuvaro {

void Notices::ShowMessage(const wxString& text) {
    Box(nullptr, text, U8(text::kAppTitle), Icon::None, Buttons::Ok);
}

void Notices::ErrorBox(wxWindow* owner, const wxString& text) {
    Box(owner, text, U8(text::kCaptionError), Icon::Error, Buttons::Ok);
}

}  // namespace nuvaro
