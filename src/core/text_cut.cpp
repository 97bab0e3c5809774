#include "core/text_cut.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "core/gbk.h"
#include "core/texts.h"

namespace nuvaro {

namespace {

using CharLength = size_t (*)(std::string_view, size_t);

size_t CountChars(std::string_view text, CharLength length) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += length(text, i)) ++count;
    return count;
}

// The first `maxChars` characters and the mark with the count of all, or nullopt when the
// text is not longer.
std::optional<std::pair<std::string_view, std::string>> Cut(std::string_view text, size_t maxChars,
                                                            CharLength length) {
    size_t end = 0, chars = 0;
    while (end < text.size() && chars < maxChars) {
        end += length(text, end);
        ++chars;
    }
    if (end == text.size()) return std::nullopt;
    char mark[64];
    std::snprintf(mark, sizeof mark, text::kCutMark, chars + CountChars(text.substr(end), length));
    return std::make_pair(text.substr(0, end), std::string(mark));
}

}  // namespace

size_t GbkCharCount(std::string_view gbk) { return CountChars(gbk, GbkCharLength); }

GbkText CutText(const GbkText& gbk, size_t maxChars) {
    auto cut = Cut(gbk.view(), maxChars, GbkCharLength);
    return cut ? GbkText::FromBytes(std::string(cut->first)) + ToGbk(cut->second) : gbk;
}

std::string CutUtf8Text(std::string_view utf8, size_t maxChars) {
    auto cut = Cut(utf8, maxChars, Utf8CharLength);
    return cut ? std::string(cut->first) + cut->second : std::string(utf8);
}

}  // namespace nuvaro
