#pragma once

#include <memory>

#include "services/balloons.h"
#include "services/notices.h"
#include "services/shell.h"

namespace nuvaro {

// The real services of this desktop, one implementation each per desktop (platform/gtk,
// platform/msw); GetNotices() and its siblings hand them out.
std::unique_ptr<Notices> NewDesktopNotices();
std::unique_ptr<Shell> NewDesktopShell();
std::unique_ptr<Balloons> NewDesktopBalloons();

}  // namespace nuvaro
