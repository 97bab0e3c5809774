#include "platform/gtk/gtk_notices.h"

#include <gtk/gtk.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>

#include <chrono>
#include <cmath>

#include "core/texts.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

long StyleOf(Notices::Icon icon, Notices::Buttons buttons) {
    long style = buttons == Notices::Buttons::YesNo ? wxYES_NO : wxOK;
    switch (icon) {
        case Notices::Icon::Information: return style | wxICON_INFORMATION;
        case Notices::Icon::Question: return style | wxICON_QUESTION;
        case Notices::Icon::Error: return style | wxICON_ERROR;
        case Notices::Icon::None: break;
    }
    return style | wxICON_NONE;
}

// A lone CR starts a new line in the boxes of the system the texts come from.
wxString Lines(wxString text) {
    text.Replace("\r\n", "\n");
    text.Replace("\r", "\n");
    return text;
}

}  // namespace

Notices::Answer GtkNotices::Box(wxWindow* owner, const wxString& text, const wxString& caption,
                                Icon icon, Buttons buttons) {
    wxMessageDialog dialog(owner, Lines(text), caption, StyleOf(icon, buttons) | wxCENTRE);
    dialog.SetOKLabel(U8(text::kOk));
    dialog.SetYesNoLabels(U8(text::kYes), U8(text::kNo));
    int result = dialog.ShowModal();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return result == wxID_YES ? Answer::Yes : Answer::No;
}

void GtkNotices::TimedMessage(const wxString& text, int seconds) {
    const wxString title = U8(text::kAppTitle);
    wxMessageDialog dialog(nullptr, Lines(text), wxString::Format("(%d)  ", seconds) + title,
                           wxOK | wxICON_NONE | wxCENTRE);
    dialog.SetOKLabel(U8(text::kOk));
    const auto shown = std::chrono::steady_clock::now();
    wxTimer timer;
    auto update = [&] {
        GtkWidget* widget = dialog.GetHandle();
        if (!widget) return;  // not on screen yet
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - shown).count();
        int left = static_cast<int>(std::ceil(seconds - elapsed));
        if (left <= 0) {
            gtk_dialog_response(GTK_DIALOG(widget), GTK_RESPONSE_OK);
            return;
        }
        wxString caption = wxString::Format("(%d)  ", left) + title;
        gtk_window_set_title(GTK_WINDOW(widget), caption.utf8_str());
    };
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { update(); });
    timer.Start(100);
    dialog.ShowModal();
    timer.Stop();
}

wxString GtkNotices::ChooseFileToOpen(wxWindow* owner) {
    wxFileDialog dialog(owner, wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString,
                        wxFD_OPEN);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

}  // namespace nuvaro
