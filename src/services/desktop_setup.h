#pragma once

namespace nuvaro {

// Process-wide set-up before any window: a log target that never opens a box of its own, and
// the widget style that lets controls keep the compact pixel sizes of the layout.
void SetUpDesktop();

}  // namespace nuvaro
