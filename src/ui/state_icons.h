#pragma once

class wxImageList;

namespace nuvaro {

// Small icons a tab shows before its caption, in the order of TabIconIndex: a grey square
// (stopped) or a green disc with a white triangle (monitoring), each plain, with a red disc
// with "!" in its lower right corner (last run failed), an orange dot in its upper right
// corner (change not looked at yet), or both marks.
wxImageList* MakeStateIcons();

}  // namespace nuvaro
