#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// The small local page a window shows in place of a page that could not be loaded (UTF-8
// HTML): why, the address asked for and when, in Chinese. The reason and the address come from
// outside (a server, the engine, a pasted address): they are escaped and cut, so they show as
// text and never change the page.
std::string LoadFailurePage(std::string_view reason, std::string_view address,
                            std::string_view when);

}  // namespace nuvaro
