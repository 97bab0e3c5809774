#include "services/desktop_setup.h"

#include <windows.h>
#include <wx/log.h>
#include <wx/notifmsg.h>

#include "platform/wx/tray_icon.h"

namespace nuvaro {

void SetUpDesktop() {
    // Libraries are never looked for in the current folder.
    SetDllDirectoryW(L"");
    // Script and engine errors never become a stray modal box.
    delete wxLog::SetActiveTarget(new wxLogStderr);
}

void ShowNotificationsAt(TTrayNotifyIcon* icon) { wxNotificationMessage::UseTaskBarIcon(icon); }

}  // namespace nuvaro
