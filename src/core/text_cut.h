#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// The most characters of a found text that a log line, a notice or a box carries. The verdict
// still compares the whole text.
inline constexpr size_t kFoundTextLimit = 4000;

// Number of GBK characters in `gbk` (a byte that starts no character counts as one).
size_t GbkCharCount(std::string_view gbk);

// `gbk` itself when it has at most `maxChars` characters; else its first `maxChars` characters
// (never half of one) followed by the mark "…（共 N 字）" that tells how long it was.
GbkText CutText(const GbkText& gbk, size_t maxChars = kFoundTextLimit);

// The same for UTF-8 text (the mark in UTF-8).
std::string CutUtf8Text(std::string_view utf8, size_t maxChars);

}  // namespace nuvaro
