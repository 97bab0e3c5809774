#pragma once

#include <wx/event.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <array>
#include <memory>
#include <string>

#include "banners/announcement.h"
#include "banners/get_thread.h"
#include "banners/ui/scroll_text.h"

namespace nuvaro {

class Notices;
class Shell;

// The main window's three announcement banners: their look, the texts cached in config.ini,
// the one fetch per run and the links of banners 1 and 3. The banners belong to the window;
// this object only drives them, and may go before or after them.
class BannerController : public wxEvtHandler {
  public:
    static constexpr int kStartDelayMs = 2000;

    // Sets the banners' built-in texts, font and colours and takes over their clicks.
    BannerController(TScrollText* banner1, TScrollText* banner2, TScrollText* banner3, Shell& shell,
                     Notices& notices);
    ~BannerController() override;
    BannerController(const BannerController&) = delete;
    BannerController& operator=(const BannerController&) = delete;

    // At every show of the main window: the cached values and texts, if config.ini exists.
    void FillFromCache();
    // Once, at the main window's creation: the fetch starts kStartDelayMs later.
    void Start();
    // Nobody sees the banners while the main window is hidden or minimised: they stop moving,
    // so the program's loop stays idle, and go on where they were when it comes back.
    void Pause(bool paused);
    // Stops the start timer and abandons a running fetch; nothing it brings arrives after
    // this. Waits for the fetching thread to end, at most a second (a cancelled fetch normally
    // ends at once); the destructor calls it too.
    void Shutdown();

    // The nine values as last fetched (UTF-8) or read from the cache (GBK).
    const Announcement& Values() const { return m_values; }

  private:
    void OnStartTimer(wxTimerEvent& event);
    void Fetched(const TGetThread::Result& result);
    void SetBanner(size_t index, const std::string& text);
    void OpenLink(const std::string& link);

    std::array<wxWeakRef<TScrollText>, 3> m_banners;
    Shell& m_shell;
    Notices& m_notices;
    Announcement m_values;
    std::string m_endpoint;
    wxTimer m_startTimer;
    std::unique_ptr<TGetThread> m_thread;
    bool m_shutDown = false;
};

}  // namespace nuvaro
