#pragma once

#include <string>

#include "monitor/monitor_engine.h"

namespace nuvaro {

// What a window's tab shows at a glance, most urgent first: a change the user has not looked
// at yet, a last run that failed, monitoring, stopped.
enum class TabState { Stopped, Monitoring, Failed, Changed };
TabState StateOf(const WindowStatus& status, bool unseenChange);

// The lines shown when the pointer rests on a window's tab (UTF-8): monitoring or stopped, the
// last check's time and verdict, the next check's time, the last error.
std::string StatusTip(const WindowStatus& status);

// A wall-clock time as the logs write it.
std::string WallTimeText(WindowStatus::WallTime time);

}  // namespace nuvaro
