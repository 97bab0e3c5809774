// Message boxes of the GTK desktop. Box() is a modal wx message dialog; posted boxes are GTK
// message dialogs without a loop of their own: they stay modal for the user's input.
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/text_util.h"
#include "core/texts.h"
#include "platform/desktop_notices.h"
#include "platform/wx/box_cascade.h"
#include "ui/wx_text.h"

namespace nuvaro {
namespace {

long StyleOf(Notices::Icon icon, Notices::Buttons buttons) {
    long style = buttons == Notices::Buttons::YesNo ? wxYES_NO : wxOK;
    switch (icon) {
        case Notices::Icon::Information:
            return style | wxICON_INFORMATION;
        case Notices::Icon::Question:
            return style | wxICON_QUESTION;
        case Notices::Icon::Error:
            return style | wxICON_ERROR;
        case Notices::Icon::None:
            break;
    }
    return style | wxICON_NONE;
}

GtkMessageType MessageType(Notices::Icon icon) {
    switch (icon) {
        case Notices::Icon::Information:
            return GTK_MESSAGE_INFO;
        case Notices::Icon::Question:
            return GTK_MESSAGE_QUESTION;
        case Notices::Icon::Error:
            return GTK_MESSAGE_ERROR;
        case Notices::Icon::None:
            break;
    }
    return GTK_MESSAGE_OTHER;
}

// A lone CR starts a new line in the boxes of the system the texts come from. A byte that is
// not UTF-8 (a file name of another encoding) shows as a replacement character.
std::string Lines(std::string raw) {
    gchar* valid = g_utf8_make_valid(raw.data(), static_cast<gssize>(raw.size()));
    std::string text = valid;
    g_free(valid);
    return LfLineBreaks(text);
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
    int cascade = 0;  // its step down and to the right from where a box first goes
};

void OnResponse(GtkDialog*, gint, gpointer data) {
    auto* box = static_cast<PostedBox*>(data);
    if (box->countdown) g_source_remove(box->countdown);
    ReleaseCascadeStep(box->cascade);
    Notices::Closed closed = std::move(box->closed);
    gtk_widget_destroy(box->dialog);
    delete box;
    if (closed) closed();
}

// The program's window the user has in front (a dialog, the log viewer, the main window); null
// when none of them is active.
GtkWindow* ActiveWindow() {
    GtkWindow* active = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        auto* window = GTK_WINDOW(w->data);
        if (gtk_window_is_active(window) && gtk_widget_get_visible(GTK_WIDGET(window)) &&
            !GTK_IS_MESSAGE_DIALOG(window)) {
            active = window;
        }
    }
    g_list_free(windows);
    return active;
}

GdkRectangle ScreenArea(GtkWidget* dialog) {
    GdkDisplay* display = gtk_widget_get_display(dialog);
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{0, 0, 1024, 768};
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return area;
}

// Centred on `over` (when shown) or on the screen, then moved down its cascade steps, so that
// no two boxes open at once lie exactly on each other; kept on the screen.
void Place(GtkWidget* dialog, GtkWindow* over, int cascade) {
    GtkRequisition size{};
    gtk_widget_get_preferred_size(dialog, nullptr, &size);
    const GdkRectangle screen = ScreenArea(dialog);
    GdkRectangle around = screen;
    if (over && gtk_widget_get_visible(GTK_WIDGET(over))) {
        gtk_window_get_position(over, &around.x, &around.y);
        gtk_window_get_size(over, &around.width, &around.height);
    }
    int x = around.x + (around.width - size.width) / 2 + cascade * kCascadeStep;
    int y = around.y + (around.height - size.height) / 2 + cascade * kCascadeStep;
    x = std::clamp(x, screen.x, std::max(screen.x, screen.x + screen.width - size.width));
    y = std::clamp(y, screen.y, std::max(screen.y, screen.y + screen.height - size.height));
    gtk_window_move(GTK_WINDOW(dialog), x, y);
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

// A box stands above the window the user has in front, so that it is never hidden behind it
// (and never takes its keyboard unseen), and comes to the front itself.
PostedBox* ShowPosted(Notices::Owner owner, const std::string& text, const std::string& caption,
                      Notices::Icon icon, Notices::Closed closed) {
    wxWindow* ownerWindow = OwnerWindow(owner);
    GtkWindow* parent = ownerWindow ? GTK_WINDOW(ownerWindow->GetHandle()) : nullptr;
    GtkWindow* front = ActiveWindow();
    GtkWidget* dialog =
        gtk_message_dialog_new(front ? front : parent, GTK_DIALOG_MODAL, MessageType(icon),
                               GTK_BUTTONS_NONE, "%s", Lines(text).c_str());
    gtk_dialog_add_button(GTK_DIALOG(dialog), text::kOk, GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_window_set_title(GTK_WINDOW(dialog), Lines(caption).c_str());
    auto* box = new PostedBox;
    box->dialog = dialog;
    box->closed = std::move(closed);
    box->cascade = TakeCascadeStep();
    Place(dialog, parent, box->cascade);
    g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), box);
    gtk_widget_show_all(dialog);
    gtk_window_present(GTK_WINDOW(dialog));
    return box;
}

}  // namespace

Notices::Answer DesktopNotices::Box(Owner owner, const std::string& text,
                                    const std::string& caption, Icon icon, Buttons buttons) {
    wxMessageDialog dialog(OwnerWindow(owner), wxString::FromUTF8(Lines(text)),
                           wxString::FromUTF8(Lines(caption)), StyleOf(icon, buttons) | wxCENTRE);
    dialog.SetOKLabel(U8(text::kOk));
    dialog.SetYesNoLabels(U8(text::kYes), U8(text::kNo));
    int result = dialog.ShowModal();
    if (buttons == Buttons::Ok) return Answer::Ok;
    return result == wxID_YES ? Answer::Yes : Answer::No;
}

void DesktopNotices::PostBox(Owner owner, const std::string& text, const std::string& caption,
                             Icon icon, Closed closed) {
    ShowPosted(owner, text, caption, icon, std::move(closed));
}

void DesktopNotices::PostTimedMessage(const std::string& text, int seconds, Closed closed) {
    std::string title = "(" + std::to_string(seconds) + ")  " + text::kAppTitle;
    PostedBox* box = ShowPosted(Owner::None, text, title, Icon::None, std::move(closed));
    box->shown = std::chrono::steady_clock::now();
    box->seconds = seconds;
    box->countdown = g_timeout_add(100, CountDown, box);
}

std::string DesktopNotices::ChooseFileToOpen() {
    wxFileDialog dialog(wxGetActiveWindow(), wxEmptyString, wxEmptyString, wxEmptyString,
                        wxEmptyString, wxFD_OPEN);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath().utf8_string() : std::string();
}

}  // namespace nuvaro
