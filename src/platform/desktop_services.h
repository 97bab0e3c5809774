#pragma once

#include <memory>

#include "platform/balloons.h"
#include "platform/notices.h"
#include "platform/shell.h"

namespace nuvaro {

// The real services of this desktop, one implementation each per desktop (platform/gtk,
// platform/msw); GetNotices() and its siblings hand them out.
std::unique_ptr<Notices> NewDesktopNotices();
std::unique_ptr<Shell> NewDesktopShell();
std::unique_ptr<Balloons> NewDesktopBalloons();

}  // namespace nuvaro
