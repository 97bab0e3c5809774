#pragma once

#include <functional>

namespace nuvaro {

// Process-wide set-up before any window: a log target that never opens a box of its own, and
// the widget style that lets controls keep the compact pixel sizes of the layout.
void SetUpDesktop();

// `end` runs on the main loop when the system asks the program to end (on Linux SIGTERM, SIGHUP
// or SIGINT: a logout, a shutdown, a service stop), with the request's name, so that the program
// ends as by its own menu, its queued writes on disk. A Windows session's end comes as a close
// of the main window that cannot be refused.
void WhenAskedToEnd(std::function<void(const char* request)> end);

}  // namespace nuvaro
