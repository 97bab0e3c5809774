#include <glib.h>

#include <memory>

#include "platform/browser_panel.h"
#include "platform/gtk/web_browser.h"

namespace nuvaro {

BrowserPanel* NewBrowserPanel(wxWindow* parent, int window) {
    return new WebBrowser(parent, window);
}

std::string LocalFileAddress(const std::string& nativePath) {
    std::unique_ptr<char, decltype(&g_free)> uri(
        g_filename_to_uri(nativePath.c_str(), nullptr, nullptr), g_free);
    return uri ? uri.get() : "";
}

}  // namespace nuvaro
