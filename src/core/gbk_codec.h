#pragma once

#include <string>
#include <string_view>

namespace nuvaro::codec {

// The system's converters for code page 936, lenient both ways (platform/posix: iconv,
// platform/win32: the Windows code page functions). Text in, text out; nothing throws for bad
// input.

// UTF-8 -> GBK: a character GBK cannot hold, and a byte that is not valid UTF-8, becomes '?'
// (one '?' per well-formed sequence, or per bad byte).
std::string Utf8ToGbk(std::string_view utf8);

// GBK -> UTF-8: a byte that does not decode becomes '?'; decoding goes on after it.
std::string GbkToUtf8(std::string_view gbk);

}  // namespace nuvaro::codec
