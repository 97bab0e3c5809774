#pragma once

class wxImageList;

namespace nuvaro {

// Small icons a tab shows before its caption, in the order of TabState: stopped (grey),
// monitoring (green), last run failed (red, with a bar), change not looked at yet (orange,
// with a dot in the middle).
wxImageList* MakeStateIcons();

}  // namespace nuvaro
