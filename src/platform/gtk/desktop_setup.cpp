#include "services/desktop_setup.h"

#include <gtk/gtk.h>
#include <wx/log.h>

#include "platform/wx/tray_icon.h"

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

}  // namespace

void SetUpDesktop() {
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

// Notifications of this desktop come from its notification server, not from an icon.
void ShowNotificationsAt(TTrayNotifyIcon*) {}

}  // namespace nuvaro
