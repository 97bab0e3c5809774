#include "services/desktop_setup.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <wx/log.h>
#include <wx/window.h>

#include "platform/wx/tray_icon.h"
#include "ui/accessible_name.h"

namespace nuvaro {
namespace {

// Classic compact controls: edits 20 px, buttons 21 px, tabs 18 px high.
const char* kCompactStyle = R"css(
entry { min-height: 0; padding: 0 3px; }
button { min-height: 0; min-width: 0; padding: 0 4px; }
checkbutton, radiobutton { min-height: 0; padding: 0; }
check, radio { min-height: 11px; min-width: 11px; margin: 0 2px; }
notebook > header > tabs > tab { min-height: 0; padding: 1px 8px; }
)css";

bool Focusable(GtkWidget* widget) {
    return GTK_IS_ENTRY(widget) || GTK_IS_TEXT_VIEW(widget) || GTK_IS_TOGGLE_BUTTON(widget) ||
           GTK_IS_COMBO_BOX(widget);
}

// The widget a screen reader stops at: the entry, text view, check button or combo itself or
// inside what the toolkit wraps around it (a scrolled window, a box with the caption beside the
// check); null when there is none.
GtkWidget* FocusableIn(GtkWidget* widget) {
    if (Focusable(widget)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) found = FocusableIn(GTK_WIDGET(c->data));
    g_list_free(children);
    return found;
}

void NameForScreenReaders(wxWindow* control, const wxString& name) {
    GtkWidget* widget = control->GetHandle();
    if (!widget) return;
    // A box of controls (a group box) is named itself, not a control inside it.
    GtkWidget* focusable = control->GetChildren().empty() ? FocusableIn(widget) : nullptr;
    atk_object_set_name(gtk_widget_get_accessible(focusable ? focusable : widget), name.utf8_str());
}

// A message box is announced by its kind ("Error", "Question") unless told otherwise: it is
// named by its visible title, also when the title changes (a countdown).
void NameByTitle(GtkWidget* window) {
    const char* title = gtk_window_get_title(GTK_WINDOW(window));
    if (title && *title) atk_object_set_name(gtk_widget_get_accessible(window), title);
}

void OnTitleChanged(GObject* window, GParamSpec*, gpointer) { NameByTitle(GTK_WIDGET(window)); }

gboolean OnWidgetShown(GSignalInvocationHint*, guint, const GValue* params, gpointer) {
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&params[0]));
    if (!GTK_IS_MESSAGE_DIALOG(widget)) return TRUE;
    NameByTitle(widget);
    if (!g_object_get_data(G_OBJECT(widget), "nuvaro-named-by-title")) {
        g_object_set_data(G_OBJECT(widget), "nuvaro-named-by-title", widget);
        g_signal_connect(widget, "notify::title", G_CALLBACK(OnTitleChanged), nullptr);
    }
    return TRUE;  // stays for every box
}

// Native boxes and choosers run a loop of their own: each modal one is answered as if closed.
void CloseModalBoxes() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        auto* window = GTK_WINDOW(w->data);
        if (GTK_IS_DIALOG(window) && gtk_window_get_modal(window) &&
            gtk_widget_get_visible(GTK_WIDGET(window))) {
            gtk_dialog_response(GTK_DIALOG(window), GTK_RESPONSE_DELETE_EVENT);
        }
    }
    g_list_free(windows);
}

}  // namespace

void SetUpDesktop() {
    SetAccessibleNamer(NameForScreenReaders);
    g_signal_add_emission_hook(g_signal_lookup("show", GTK_TYPE_WIDGET), 0, OnWidgetShown, nullptr,
                               nullptr);

    // Script and engine errors go to stderr, never to a stray modal box.
    delete wxLog::SetActiveTarget(new wxLogStderr);

    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCompactStyle, -1, nullptr);
    if (GdkScreen* screen = gdk_screen_get_default()) {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    g_object_unref(provider);
}

void WhenAskedToEnd(std::function<void(const char* request)> end) {
    static std::function<void(const char*)> s_end;
    s_end = std::move(end);
    struct Request {
        int signal;
        const char* name;
    };
    static constexpr Request kRequests[] = {
        {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGINT, "SIGINT"}};
    for (const auto& request : kRequests) {
        g_unix_signal_add(
            request.signal,
            [](gpointer name) -> gboolean {
                CloseModalBoxes();
                if (s_end) s_end(static_cast<const char*>(name));
                return G_SOURCE_CONTINUE;  // a second request while ending changes nothing
            },
            const_cast<char*>(request.name));
    }
}

// Notifications of this desktop come from its notification server, not from an icon.
void ShowNotificationsAt(TTrayNotifyIcon*) {}

}  // namespace nuvaro
