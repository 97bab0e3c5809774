#include "services/desktop_setup.h"

#include <windows.h>
#include <wx/font.h>
#include <wx/log.h>
#include <wx/notifmsg.h>

#include <initializer_list>

#include "platform/wx/tray_icon.h"

namespace nuvaro {
namespace {

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Every text of the program is Chinese: its fonts ask for the Chinese character set, so that a
// face that is missing (宋体 where it is not installed) is replaced by one that has the
// characters, whatever the system's code page.
void UseChineseFonts() {
    wxFont::SetDefaultEncoding(wxFONTENCODING_CP936);
    // Wine keeps the menu, caption and status fonts of the locale its prefix was made in: made
    // in another one, the menu bar shows empty boxes. The change is this process's own (it is
    // not written to the registry); Windows links its menu font to a Chinese one itself.
    if (!UnderWine()) return;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    if (metrics.lfMenuFont.lfCharSet == GB2312_CHARSET) return;
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont}) {
        font->lfCharSet = GB2312_CHARSET;
    }
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
}

}  // namespace

void SetUpDesktop() {
    // Libraries are never looked for in the current folder.
    SetDllDirectoryW(L"");
    // Script and engine errors never become a stray modal box.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    UseChineseFonts();
}

// The end of a session closes the main window for good (wxEVT_END_SESSION); no signal to wait for.
void WhenAskedToEnd(std::function<void(const char*)>) {}

void ShowNotificationsAt(TTrayNotifyIcon* icon) { wxNotificationMessage::UseTaskBarIcon(icon); }

}  // namespace nuvaro
