#include "services/desktop_services.h"

#include "platform/desktop_notices.h"
#include "platform/gtk/desktop_balloons.h"
#include "platform/posix/desktop_shell.h"

namespace nuvaro {

std::unique_ptr<Notices> NewDesktopNotices() { return std::make_unique<DesktopNotices>(); }
std::unique_ptr<Shell> NewDesktopShell() { return std::make_unique<DesktopShell>(); }
std::unique_ptr<Balloons> NewDesktopBalloons() { return std::make_unique<DesktopBalloons>(); }

}  // namespace nuvaro
