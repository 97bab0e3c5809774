#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nuvaro {

// Splits a parameter string the way a Windows program splits its command line after the
// program name: blanks (space, tab) separate arguments, double quotes group, and a run of n
// backslashes is literal unless a quote follows it: 2n backslashes and a quote give n
// backslashes and the quote opens or closes a group, 2n+1 give n backslashes and a literal
// quote. Inside a group, two quotes in a row give one literal quote. Works on UTF-8 (or any
// encoding whose multi-byte sequences hold no ASCII bytes); nothing is substituted.
std::vector<std::string> SplitCommandLine(std::string_view line);

// The parameter string that SplitCommandLine splits into exactly `args`: plain arguments as
// they are, the others (empty, or holding a blank or a quote) quoted with their quotes and the
// backslashes before them escaped.
std::string JoinCommandLine(const std::vector<std::string>& args);

}  // namespace nuvaro
