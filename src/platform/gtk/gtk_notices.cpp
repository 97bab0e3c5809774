#include "platform/gtk/gtk_notices.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

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

GtkMessageType MessageType(Notices::Icon icon) {
    switch (icon) {
        case Notices::Icon::Information: return GTK_MESSAGE_INFO;
        case Notices::Icon::Question: return GTK_MESSAGE_QUESTION;
        case Notices::Icon::Error: return GTK_MESSAGE_ERROR;
        case Notices::Icon::None: break;
    }
    return GTK_MESSAGE_OTHER;
}

// A lone CR starts a new line in the boxes of the system the texts come from. A byte that is
// not UTF-8 (a file name of another encoding) shows as a replacement character.
std::string Lines(std::string raw) {
    gchar* valid = g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size()));
    std::string text = valid;
    g_free(valid);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

wxWindow* OwnerWindow(Notices::Owner owner) {
    return owner == Notices::Owner::MainWindow && wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
}

// A posted box: lives until the user (or its count-down) answers it.
struct PostedBox {
    GtkWidget* dialog = nullptr;
    Notices::Closed closed;
    guint countdown = 0;
    std::chrono::steady_clock::time_point shown;
    int seconds = 0;
};

void OnResponse(GtkDialog*, gint, gpointer data) {
    auto* box = static_cast<PostedBox*>(data);
    if (box->countdown) g_source_remove(box->countdown);
    Notices::Closed closed = std::move(box->closed);
    gtk_widget_destroy(box->dialog);
    delete box;
    if (closed) closed();
}

gboolean CountDown(gpointer data) {
    auto* box = static_cast<PostedBox*>(data);
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - box->shown).count();
    int left = static_cast<int>(std::ceil(box->seconds - elapsed));
    if (left <= 0) {
        box->countdown = 0;
        gtk_dialog_response(GTK_DIALOG(box->dialog), GTK_RESPONSE_OK);
        return G_SOURCE_REMOVE;
    }
    std::string title = "(" + std::to_string(left) + ")  " + text::kAppTitle;
    gtk_window_set_title(GTK_WINDOW(box->dialog), title.c_str());
    return G_SOURCE_CONTINUE;
}

PostedBox* ShowPosted(Notices::Owner owner, const std::string& text, const std::string& caption,
                      Notices::Icon icon, Notices::Closed closed) {
    wxWindow* ownerWindow = OwnerWindow(owner);
    GtkWindow* parent = ownerWindow ? GTK_WINDOW(ownerWindow->GetHandle()) : nullptr;
    GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_DESTROY_WITH_PARENT,
                                               MessageType(icon), GTK_BUTTONS_NONE, "%s",
                                               Lines(text).c_str());
    gtk_dialog_add_button(GTK_DIALOG(dialog), text::kOk, GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(dialog), Lines(caption).c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    bool centred = parent && gtk_widget_get_visible(GTK_WIDGET(parent));
    gtk_window_set_position(GTK_WINDOW(dialog),
                            centred ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    auto* box = new PostedBox{dialog, std::move(closed)};
    g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), box);
    gtk_widget_show_all(dialog);
    return box;
}

}  // namespace

Notices::Answer GtkNotices::Box(Owner owner, const std::string& text, const std::string& caption,
                                Icon icon, Buttons buttons) {
    wxMessageDialog dialog(OwnerWindow(owner), wxString::FromUTF8(Lines(text)),
                           wxString::FromUTF8(Lines(caption)), StyleOf(icon, buttons) | wxCENTRE);
    dialog.SetOKLabel(U8(text::kOk));
    dialog.SetYesNoLabels(U8(text::kYes), U8(text::kNo));
    int result = dialog.ShowModal();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return result == wxID_YES ? Answer::Yes : Answer::No;
}

void GtkNotices::PostBox(Owner owner, const std::string& text, const std::string& caption,
                         Icon icon, Closed closed) {
    ShowPosted(owner, text, caption, icon, std::move(closed));
}

void GtkNotices::PostTimedMessage(const std::string& text, int seconds, Closed closed) {
    std::string title = "(" + std::to_string(seconds) + ")  " + text::kAppTitle;
    PostedBox* box = ShowPosted(Owner::None, text, title, Icon::None, std::move(closed));
    box->shown = std::chrono::steady_clock::now();
    box->seconds = seconds;
    box->countdown = g_timeout_add(100, CountDown, box);
}

std::string GtkNotices::ChooseFileToOpen() {
    wxFileDialog dialog(wxGetActiveWindow(), wxEmptyString, wxEmptyString, wxEmptyString,
                        wxEmptyString, wxFD_OPEN);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath().utf8_string() : std::string();
}

}  // namespace nuvaro
