#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace nuvaro::testing {

// A strict reader of one flat JSON object of string values, as a strict SMS gateway reads its
// request: nullopt for anything that is not exactly that (UTF-8, \uXXXX below U+0080 only).
inline std::optional<std::map<std::string, std::string>> ParseFlatJson(std::string_view s) {
    size_t i = 0;
    auto blanks = [&] {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\n' || s[i] == '\r' || s[i] == '\t')) ++i;
    };
    auto expect = [&](char c) {
        blanks();
        if (i >= s.size() || s[i] != c) return false;
        ++i;
        return true;
    };
    auto string = [&]() -> std::optional<std::string> {
        if (!expect('"')) return std::nullopt;
        std::string out;
        while (i < s.size() && s[i] != '"') {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c < 0x20) return std::nullopt;
            if (c != '\\') {
                out += s[i++];
                continue;
            }
            if (++i >= s.size()) return std::nullopt;
            const char e = s[i++];
            const std::string_view simple = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
            if (auto at = simple.find(e); at != std::string_view::npos) {
                out += meant[at];
            } else if (e == 'u' && i + 4 <= s.size() && s.substr(i, 2) == "00") {
                out += static_cast<char>(std::stoi(std::string(s.substr(i + 2, 2)), nullptr, 16));
                i += 4;
            } else {
                return std::nullopt;
            }
        }
        if (i >= s.size()) return std::nullopt;
        ++i;
        return out;
    };
    std::map<std::string, std::string> object;
    if (!expect('{')) return std::nullopt;
    do {
        auto key = string();
        if (!key || !expect(':')) return std::nullopt;
        auto value = string();
        if (!value) return std::nullopt;
        object[*key] = *value;
    } while (expect(','));
    if (!expect('}')) return std::nullopt;
    blanks();
    return i == s.size() ? std::optional(object) : std::nullopt;
}

}  // namespace nuvaro::testing
