#include "core/log_escape.h"

#include "core/gbk.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A byte that stands alone where a character must start: 0x81-0xFF without its trail byte.
// (0x80 is a character of its own in code page 936.)
bool IsStrayByte(std::string_view s, size_t at) {
    return static_cast<unsigned char>(s[at]) > 0x80 && GbkCharLength(s, at) == 1;
}

bool NeedsEscape(std::string_view s, size_t at) {
    return IsControl(static_cast<unsigned char>(s[at])) || IsStrayByte(s, at);
}

void AppendEscaped(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789ABCDEF";
    switch (c) {
        case '\r':
            out += "\\r";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
}

// A backslash before this position would be read as the start of an escape.
bool StartsEscapeAfterBackslash(std::string_view s, size_t at) {
    if (at >= s.size()) return false;
    const char c = s[at];
    return c == '\\' || c == 'r' || c == 'n' || c == 't' || c == 'x' || NeedsEscape(s, at);
}

}  // namespace

std::string EscapeLogText(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    for (size_t i = 0; i < s.size();) {
        const size_t length = GbkCharLength(s, i);
        if (length == 2) {
            out.append(s.substr(i, 2));
        } else if (NeedsEscape(s, i)) {
            AppendEscaped(out, static_cast<unsigned char>(s[i]));
        } else if (s[i] == '\\') {
            out += StartsEscapeAfterBackslash(s, i + 1) ? "\\\\" : "\\";
        } else {
            out += s[i];
        }
        i += length;
    }
    return out;
}

std::string UnescapeLogText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t length = GbkCharLength(s, i);
        if (length == 2 || s[i] != '\\' || i + 1 == s.size()) {
            out.append(s.substr(i, length));
            i += length;
            continue;
        }
        const char next = s[i + 1];
        const bool hex = next == 'x' && i + 3 < s.size() && HexDigitValue(s[i + 2]) >= 0 &&
                         HexDigitValue(s[i + 3]) >= 0;
        if (next == '\\' || next == 'r' || next == 'n' || next == 't') {
            out += next == '\\' ? '\\' : next == 'r' ? '\r' : next == 'n' ? '\n' : '\t';
            i += 2;
        } else if (hex) {
            out += static_cast<char>(HexDigitValue(s[i + 2]) << 4 | HexDigitValue(s[i + 3]));
            i += 4;
        } else {
            out += '\\';
            ++i;
        }
    }
    return out;
}

std::string ShowControls(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t length = GbkCharLength(s, i);
        if (length == 1 && IsControl(static_cast<unsigned char>(s[i]))) {
            AppendEscaped(out, static_cast<unsigned char>(s[i]));
        } else {
            out.append(s.substr(i, length));
        }
        i += length;
    }
    return out;
}

}  // namespace nuvaro
