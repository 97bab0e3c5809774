#pragma once

#include <wx/icon.h>

#include "monitor/tray_summary.h"

namespace nuvaro {

// The program's icon (window and notification area), drawn at run time; the notification
// area's carries a mark when a window has a change not yet seen (an orange dot) or something
// failed (a red disc with "!").
wxIcon AppIcon(TrayMark mark = TrayMark::AllWell);

}  // namespace nuvaro
