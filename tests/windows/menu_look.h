#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace menu_look {

// Reads back the first item of the menu bar of `windows[0]`, whose text is `text` ("&" marks the
// underlined letter), from the screen and prints "menu=chinese" or "menu=boxes" with the
// likeness to each rendering; 1 without a window or a menu bar.
int Report(const std::vector<HWND>& windows, const std::wstring& text);

}  // namespace menu_look
