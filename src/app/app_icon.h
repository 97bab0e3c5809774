#pragma once

#include <wx/icon.h>

namespace nuvaro {

// The program's icon (window and notification area), drawn at run time.
wxIcon AppIcon();

}  // namespace nuvaro
