#pragma once

#include <ctime>
#include <string>

namespace nuvaro {

// Date and time as log lines carry them: "2026-12-7 9:05:03" (no leading zeros in month, day
// and hour); exactly at midnight the time part is left out: "2026-12-7".
std::string DateTimeText(const std::tm& local);

// DateTimeText of the current local time.
std::string NowText();

}  // namespace nuvaro
