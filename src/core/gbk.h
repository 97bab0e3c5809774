#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// Text inside the program is narrow GBK (code page 936). These convert at the edges.

// UTF-8 -> GBK. A character GBK cannot hold, and a byte that is not valid UTF-8, becomes '?'.
std::string Utf8ToGbk(std::string_view utf8);

// GBK -> UTF-8, leniently: a byte that does not decode becomes '?', the rest of the text survives.
std::string GbkToUtf8(std::string_view gbk);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsWellFormedUtf8(std::string_view text);

// The longest beginning of `text` of at most `maxBytes` bytes that splits no GBK character.
std::string_view GbkPrefix(std::string_view text, size_t maxBytes);

// Shorthand for the program's own UTF-8 literals.
inline std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

}  // namespace nuvaro
