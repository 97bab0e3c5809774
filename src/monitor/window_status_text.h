#pragma once

#include <string>

#include "monitor/monitor_engine.h"

namespace nuvaro {

// What a window's tab shows at a glance: running or stopped first, with marks on it for a
// change the user has not looked at yet and for a last run that failed.
struct TabLook {
    bool running = false;
    bool unseenChange = false;
    bool failed = false;
};
TabLook LookOf(const WindowStatus& status, bool unseenChange);
// The look's place among the tab icons: stopped ones 0..3, running ones 4..7, each with no
// mark, the failure mark, the change mark, both.
int TabIconIndex(const TabLook& look);
inline constexpr int kTabIcons = 8;

// The lines shown when the pointer rests on a window's tab (UTF-8): monitoring or stopped, the
// last check's time and verdict, the next check's time, the last error.
std::string StatusTip(const WindowStatus& status);

// A wall-clock time as the logs write it.
std::string WallTimeText(WindowStatus::WallTime time);

}  // namespace nuvaro
