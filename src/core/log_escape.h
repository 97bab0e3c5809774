#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// One log entry is one line whatever its texts hold. Control characters are written in a
// visible, reversible form, walking GBK characters (a trail byte 0x5C is no backslash):
//   CR "\r", LF "\n", tab "\t", any other control character (0x00-0x1F, 0x7F) and any byte
//   that is not part of a GBK character "\xHH" (two upper-case hex digits);
//   a backslash is written "\\" only where it stands before "\", "r", "n", "t", "x" or an
//   escaped character, so a path or an expression keeps its single backslashes.
std::string EscapeLogText(std::string_view gbk);

// The text that EscapeLogText was given. A backslash that starts no escape stays as it is.
std::string UnescapeLogText(std::string_view escaped);

// Only the control characters written as EscapeLogText writes them, backslashes left alone:
// for showing lines that older versions wrote unescaped.
std::string ShowControls(std::string_view gbk);

}  // namespace nuvaro
