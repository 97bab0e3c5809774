#pragma once

#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// Helpers over the bytes of GBK text and UTF-8 text; the conversions are in core/gbk_text.h.

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsWellFormedUtf8(std::string_view text);

// The longest beginning of `text` of at most `maxBytes` bytes that splits no GBK character.
std::string_view GbkPrefix(std::string_view text, size_t maxBytes);

// Length of the GBK character at `at`: 2 for a lead byte (0x81-0xFE) followed by a trail byte
// (0x40-0x7E, 0x80-0xFE), else 1. A trail byte can be an ASCII byte such as a backslash: text
// must be walked by characters, never by bytes.
inline size_t GbkCharLength(std::string_view s, size_t at) {
    auto lead = static_cast<unsigned char>(s[at]);
    if (lead < 0x81 || lead > 0xFE || at + 1 >= s.size()) return 1;
    auto trail = static_cast<unsigned char>(s[at + 1]);
    return (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) ? 2 : 1;
}

// Length of the well-formed UTF-8 sequence of two to four bytes that starts at `p` (before
// `end`); 0 when the bytes there are not one (an ASCII byte included).
size_t WellFormedUtf8Length(const unsigned char* p, const unsigned char* end);

// Length of the UTF-8 sequence at `at` when it is well formed, else 1.
size_t Utf8CharLength(std::string_view s, size_t at);

}  // namespace nuvaro
