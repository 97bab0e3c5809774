#pragma once

#include <wx/panel.h>

#include <functional>
#include <string>

#include "services/page_source.h"

namespace nuvaro {

// A monitoring window's embedded browser as the windows see it: a panel that shows the page
// and is the window's page source. Each desktop has its engine behind it.
class BrowserPanel : public wxPanel, public PageSource {
  public:
    explicit BrowserPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {}

    // The page's, not the window's (keyboard navigation, repainting).
    using PageSource::Navigate;
    using PageSource::Refresh;

    // The loaded address as widget text.
    virtual wxString LocationText() const = 0;
    // Called on the UI thread whenever the loaded address may have changed (load progress).
    virtual void SetProgressHandler(std::function<void()> handler) = 0;
};

// The browser of this desktop's page engine for monitoring window `window` (its number picks
// the engine processes it shares, where the engine has such).
BrowserPanel* NewBrowserPanel(wxWindow* parent, int window);

// The address under which the page engine opens the local file `nativePath`.
std::string LocalFileAddress(const std::string& nativePath);

}  // namespace nuvaro
