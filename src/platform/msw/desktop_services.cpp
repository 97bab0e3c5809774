#include "services/desktop_services.h"

#include "platform/desktop_notices.h"
#include "platform/msw/msw_balloons.h"
#include "platform/win32/desktop_shell.h"

namespace nuvaro {

std::unique_ptr<Notices> NewDesktopNotices() { return std::make_unique<DesktopNotices>(); }
std::unique_ptr<Shell> NewDesktopShell() { return std::make_unique<WindowsShell>(); }
std::unique_ptr<Balloons> NewDesktopBalloons() { return std::make_unique<MswBalloons>(); }

}  // namespace nuvaro
