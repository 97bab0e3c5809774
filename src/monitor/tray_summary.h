#pragma once

#include <string>
#include <vector>

namespace nuvaro {

// All windows at a glance, as the notification-area icon tells them.
struct TraySummary {
    int monitoring = 0;
    std::vector<std::string> failing;  // names (UTF-8) of windows whose last run failed
    std::vector<std::string> unseen;   // names of windows with a change not looked at yet
    int failedNotices = 0;             // notices that finally failed since the send log was seen
};

// The mark on the icon: a failure (of a window or a notice) before a change not yet seen.
enum class TrayMark { AllWell, ChangeUnseen, Failing };
TrayMark MarkOf(const TraySummary& summary);

// Up to `shown` names joined by "、", each cut to a readable length, then " 等 N 个" for all.
std::string NameList(const std::vector<std::string>& names, size_t shown = 3);

// The tooltip's lines about the windows (UTF-8, joined by "\n"): how many monitor, which
// failed at their last run (the count when none did), which have a change not yet seen (only
// when some have).
std::string TrayWindowLines(const TraySummary& summary);

}  // namespace nuvaro
