#include "core/text_util.h"

#include <charconv>

namespace nuvaro {

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view TrimControls(std::string_view s) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!s.empty() && isControl(s.front())) s.remove_prefix(1);
    while (!s.empty() && isControl(s.back())) s.remove_suffix(1);
    return s;
}

bool HasControlCharacter(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return true;
    }
    return false;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<long long> ParseInteger(std::string_view s) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    if (s.empty()) return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::vector<GbkText> SplitRecipientList(const GbkText& gbk) {
    const std::string_view list = gbk.view();
    std::vector<GbkText> out;
    std::string current;
    auto flush = [&] {
        if (!current.empty()) out.push_back(GbkText::FromBytes(std::move(current)));
        current.clear();
    };
    for (size_t i = 0; i < list.size(); ++i) {
        auto c = static_cast<unsigned char>(list[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < list.size()) {
            auto trail = static_cast<unsigned char>(list[i + 1]);
            // Full-width comma, semicolon and blank separate too.
            bool separator = c == 0xA3 && (trail == 0xAC || trail == 0xBB);
            separator = separator || (c == 0xA1 && (trail == 0xA2 || trail == 0xA1));
            if (separator) {
                flush();
            } else {
                current += list.substr(i, 2);
            }
            ++i;
        } else if (c == ',' || c == ';' || c <= ' ') {
            flush();
        } else {
            current += static_cast<char>(c);
        }
    }
    flush();
    return out;
}

std::string LfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

}  // namespace nuvaro
