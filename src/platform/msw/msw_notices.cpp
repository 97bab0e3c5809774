// Message boxes of the Windows desktop, as boxes of the program's own (BoxDialog).
#include <wx/app.h>
#include <wx/filedlg.h>

#include "core/texts.h"
#include "platform/desktop_notices.h"
#include "platform/msw/box_dialog.h"

namespace nuvaro {
namespace {

wxWindow* OwnerWindow(Notices::Owner owner) {
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    return owner == Notices::Owner::MainWindow && top && top->IsShown() ? top : nullptr;
}

}  // namespace

Notices::Answer DesktopNotices::Box(Owner owner, const std::string& text,
                                    const std::string& caption, Icon icon, Buttons buttons) {
    BoxDialog box(OwnerWindow(owner), text, caption, icon, buttons);
    int result = box.ShowModal();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return result == wxID_YES ? Answer::Yes : Answer::No;
}

void DesktopNotices::PostBox(Owner owner, const std::string& text, const std::string& caption,
                             Icon icon, Closed closed) {
    (new BoxDialog(OwnerWindow(owner), text, caption, icon, Buttons::Ok))
        ->ShowPosted(std::move(closed));
}

void DesktopNotices::PostTimedMessage(const std::string& text, int seconds, Closed closed) {
    std::string title = "(" + std::to_string(seconds) + ")  " + text::kAppTitle;
    auto* box = new BoxDialog(nullptr, text, title, Icon::None, Buttons::Ok);
    box->CountDown(seconds);
    box->ShowPosted(std::move(closed));
}

std::string DesktopNotices::ChooseFileToOpen() {
    wxFileDialog dialog(wxGetActiveWindow(), wxEmptyString, wxEmptyString, wxEmptyString,
                        wxEmptyString, wxFD_OPEN);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath().utf8_string() : std::string();
}

}  // namespace nuvaro
