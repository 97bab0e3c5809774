#include "monitor/number_reader.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/gbk.h"

namespace nuvaro {
namespace {

// One character of the text and where its bytes start.
struct Char {
    char32_t code;
    size_t at;
};

std::vector<Char> Decode(std::string_view s) {
    std::vector<Char> chars;
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8CharLength(s, i);
        char32_t code = static_cast<unsigned char>(s[i]);
        if (n > 1) {
            code &= 0xFFu >> (n + 1);
            for (size_t k = 1; k < n; ++k) code = (code << 6) | (s[i + k] & 0x3F);
        }
        chars.push_back({code, i});
        i += n;
    }
    return chars;
}

// The digit a character stands for, or -1.
int DigitOf(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'０' && c <= U'９') return static_cast<int>(c - U'０');
    return -1;
}

bool IsLatinLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'ａ' && c <= U'ｚ') ||
           (c >= U'Ａ' && c <= U'Ｚ');
}

bool IsMinus(char32_t c) { return c == U'-' || c == U'－' || c == U'−'; }
bool IsCurrency(char32_t c) { return c == U'￥' || c == U'¥'; }
bool IsGroupMark(char32_t c) { return c == U',' || c == U'，'; }
bool IsPoint(char32_t c) { return c == U'.' || c == U'．'; }

bool DigitAt(const std::vector<Char>& t, size_t i) {
    return i < t.size() && DigitOf(t[i].code) >= 0;
}

// A group mark counts only when exactly three digits follow it.
bool GroupFollows(const std::vector<Char>& t, size_t i) {
    return IsGroupMark(t[i].code) && DigitAt(t, i + 1) && DigitAt(t, i + 2) && DigitAt(t, i + 3) &&
           !DigitAt(t, i + 4);
}

// The number whose first digit is at `i`, as plain ASCII ("-1299.00"), and where it ends.
struct Scan {
    std::string ascii;
    size_t end;
};

Scan ScanDigits(const std::vector<Char>& t, size_t i) {
    Scan s{{}, i};
    while (s.end < t.size()) {
        if (DigitAt(t, s.end)) {
            s.ascii += static_cast<char>('0' + DigitOf(t[s.end++].code));
        } else if (GroupFollows(t, s.end) && s.ascii.find('.') == std::string::npos) {
            ++s.end;
        } else if (IsPoint(t[s.end].code) && DigitAt(t, s.end + 1) &&
                   s.ascii.find('.') == std::string::npos) {
            s.ascii += '.';
            ++s.end;
        } else {
            break;
        }
    }
    return s;
}

// Where the sign before the digits at `i` starts (a currency sign may stand between), or `i`.
size_t SignStart(const std::vector<Char>& t, size_t i) {
    if (i >= 1 && IsMinus(t[i - 1].code)) return i - 1;
    if (i >= 2 && IsCurrency(t[i - 1].code) && IsMinus(t[i - 2].code)) return i - 2;
    return i;
}

std::optional<PageNumber> NumberAt(std::string_view utf8, const std::vector<Char>& t, size_t i) {
    Scan scan = ScanDigits(t, i);
    if (scan.end < t.size() && IsLatinLetter(t[scan.end].code)) return std::nullopt;
    double value = std::strtod(scan.ascii.c_str(), nullptr);
    size_t end = scan.end;
    if (end < t.size() && (t[end].code == U'万' || t[end].code == U'亿')) {
        value *= t[end].code == U'万' ? 1e4 : 1e8;
        ++end;
    }
    const size_t start = SignStart(t, i);
    if (start != i) value = -value;
    if (!std::isfinite(value)) return std::nullopt;
    std::string written;
    for (size_t k = start; k < end; ++k) {
        if (!IsCurrency(t[k].code)) written += utf8.substr(t[k].at, Utf8CharLength(utf8, t[k].at));
    }
    return PageNumber{value, written};
}

}  // namespace

std::optional<PageNumber> ReadNumber(std::string_view utf8) {
    const std::vector<Char> t = Decode(utf8);
    for (size_t i = 0; i < t.size(); ++i) {
        if (DigitOf(t[i].code) < 0) continue;
        const bool inWord = i > 0 && IsLatinLetter(t[i - 1].code);
        if (!inWord) {
            if (auto number = NumberAt(utf8, t, i)) return number;
        }
        // Past this run of digits: its tail is no number of its own.
        while (i + 1 < t.size() &&
               (DigitAt(t, i + 1) || IsGroupMark(t[i + 1].code) || IsPoint(t[i + 1].code)))
            ++i;
    }
    return std::nullopt;
}

}  // namespace nuvaro
