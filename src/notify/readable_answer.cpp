#include "notify/readable_answer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "core/gbk.h"
#include "core/text_util.h"
#include "core/utf8.h"

namespace nuvaro {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// End of the first "HTTP nnn" status, or 0 when there is none.
size_t StatusEnd(std::string_view text) {
    for (size_t at = text.find("HTTP "); at != std::string_view::npos;
         at = text.find("HTTP ", at + 1)) {
        const size_t end = at + 8;
        if (end > text.size()) break;
        if (IsDigit(text[at + 5]) && IsDigit(text[at + 6]) && IsDigit(text[at + 7]) &&
            (end == text.size() || !IsDigit(text[end]))) {
            return end;
        }
    }
    return 0;
}

bool LooksLikeMarkup(std::string_view text) {
    std::string_view t = TrimControls(text);
    return t.size() > 1 && t[0] == '<' &&
           (std::isalpha(static_cast<unsigned char>(t[1])) || t[1] == '!' || t[1] == '?');
}

// Tags whose end starts a new line of text.
bool IsBlock(const std::string& name) {
    static constexpr std::array<std::string_view, 30> kBlocks = {
        "p",  "div",     "br",      "h1",     "h2",     "h3",   "h4",   "h5",  "h6",     "title",
        "li", "tr",      "table",   "body",   "html",   "head", "hr",   "pre", "center", "ul",
        "ol", "section", "article", "header", "footer", "nav",  "form", "dt",  "dd",     "address"};
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

// The lower-case name of the tag that starts at `tag` ("<p class=x>" -> "p", "</H1>" -> "h1").
std::string TagName(std::string_view tag) {
    size_t i = 1;
    if (i < tag.size() && tag[i] == '/') ++i;
    size_t start = i;
    while (i < tag.size() && std::isalnum(static_cast<unsigned char>(tag[i]))) ++i;
    return Lower(tag.substr(start, i - start));
}

void AppendCodePoint(std::string& out, unsigned long cp) {
    const bool character = cp != 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    AppendUtf8(out, character ? static_cast<uint32_t>(cp) : '?');
}

// Decodes the entity at `at` ("&amp;", "&#60;", "&#x3C;") into `out`; its length, or 0 when
// it is none (the "&" then stands for itself).
size_t DecodeEntity(std::string_view text, size_t at, std::string& out) {
    const size_t semi = text.find(';', at);
    if (semi == std::string_view::npos || semi - at > 10) return 0;
    const std::string name = Lower(text.substr(at + 1, semi - at - 1));
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    for (auto [entity, value] : kNamed) {
        if (name == entity) {
            out += value;
            return semi - at + 1;
        }
    }
    if (name.size() < 2 || name[0] != '#') return 0;
    const bool hex = name[1] == 'x';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) return 0;
    char* end = nullptr;
    const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
    if (*end != '\0') return 0;
    AppendCodePoint(out, cp);
    return semi - at + 1;
}

// Where the element that starts with the tag at `at` ends, for elements whose content is no
// text (script, style, comments); npos when it is another tag.
size_t SkippedElementEnd(std::string_view text, size_t at, const std::string& name) {
    if (text.substr(at, 4) == "<!--") {
        const size_t end = text.find("-->", at + 4);
        return end == std::string_view::npos ? text.size() : end + 3;
    }
    if (name != "script" && name != "style" && name != "noscript") return std::string_view::npos;
    for (size_t close = text.find("</", at); close != std::string_view::npos;
         close = text.find("</", close + 2)) {
        if (!EqualsIgnoreAsciiCase(text.substr(close + 2, name.size()), name)) continue;
        const size_t gt = text.find('>', close);
        return gt == std::string_view::npos ? text.size() : gt + 1;
    }
    return text.size();
}

// Every control character and every run of blanks one blank; no blank at either end; a byte
// that is no UTF-8 character "?".
std::string OneCleanLine(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
        const size_t length = Utf8CharLength(line, i);
        const auto c = static_cast<unsigned char>(line[i]);
        // C0 and C1 control characters, DEL and the blank
        const bool blank =
            (length == 1 && (c <= 0x20 || c == 0x7F)) ||
            (length == 2 && c == 0xC2 && static_cast<unsigned char>(line[i + 1]) < 0xA0);
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else if (length == 1 && c >= 0x80) {
            out += '?';
        } else {
            out.append(line.substr(i, length));
        }
        i += length;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// At most `maxChars` characters, the last of them "…" when the text was longer.
std::string CutLine(const std::string& line, size_t maxChars) {
    size_t chars = 0, at = 0;
    std::vector<size_t> starts;
    while (at < line.size()) {
        starts.push_back(at);
        at += Utf8CharLength(line, at);
        ++chars;
    }
    if (chars <= maxChars || maxChars == 0) return chars <= maxChars ? line : std::string();
    return line.substr(0, starts[maxChars - 1]) + "…";
}

std::string FirstLineWithText(std::string_view text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string line = OneCleanLine(text.substr(start, end - start));
        if (!line.empty()) return line;
        start = end + 1;
    }
    return {};
}

}  // namespace

std::string MarkupText(std::string_view markup) {
    std::string out;
    for (size_t i = 0; i < markup.size();) {
        if (markup[i] == '&') {
            const size_t used = DecodeEntity(markup, i, out);
            if (used > 0) {
                i += used;
                continue;
            }
        }
        if (markup[i] != '<') {
            out += markup[i++];
            continue;
        }
        const size_t gt = markup.find('>', i);
        const size_t tagEnd = gt == std::string_view::npos ? markup.size() : gt + 1;
        const std::string name = TagName(markup.substr(i, tagEnd - i));
        const size_t skipped = SkippedElementEnd(markup, i, name);
        out += IsBlock(name) ? '\n' : ' ';
        i = skipped != std::string_view::npos ? skipped : tagEnd;
    }
    return out;
}

std::string ReadableAnswer(std::string_view utf8, size_t maxChars) {
    const size_t statusEnd = StatusEnd(utf8);
    const std::string head = OneCleanLine(utf8.substr(0, statusEnd));
    std::string_view body = utf8.substr(statusEnd);
    const std::string text = LooksLikeMarkup(body) ? MarkupText(body) : std::string(body);
    std::string line = FirstLineWithText(text);
    if (!head.empty() && !line.empty()) line = head + " " + line;
    if (line.empty()) line = head;
    return CutLine(line, maxChars);
}

GbkText ReadableAnswer(const GbkText& gbk, size_t maxChars) {
    return ToGbk(ReadableAnswer(ToUtf8(gbk), maxChars));
}

}  // namespace nuvaro
