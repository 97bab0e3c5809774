#include "notify/json_value.h"

#include <cstdlib>

#include "core/utf8.h"
#include "notify/sms_request.h"

namespace nuvaro {

// A strict reader of one document: RFC 8259 values, \u escapes (surrogate pairs too) decoded
// to UTF-8, bounded nesting.
class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> Document() {
        JsonValue value;
        if (!Value(value, 0)) return std::nullopt;
        Blanks();
        if (m_at != m_text.size()) return std::nullopt;
        return value;
    }

  private:
    void Blanks() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\n'))
            ++m_at;
    }
    bool Take(char c) {
        Blanks();
        if (m_at < m_text.size() && m_text[m_at] == c) return ++m_at, true;
        return false;
    }
    bool Word(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word) return false;
        m_at += word.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > JsonValue::kMaxDepth) return false;
        Blanks();
        if (m_at >= m_text.size()) return false;
        const char c = m_text[m_at];
        if (c == '{') return Object(v, depth);
        if (c == '[') return Array(v, depth);
        if (c == '"') return v.m_type = JsonValue::Type::String, Text(v.m_text);
        if (Word("true")) return v = JsonValue::Bool(true), true;
        if (Word("false")) return v = JsonValue::Bool(false), true;
        if (Word("null")) return v = JsonValue(), true;
        return NumberLiteral(v);
    }

    bool NumberLiteral(JsonValue& v) {
        const size_t start = m_at;
        if (m_at < m_text.size() && m_text[m_at] == '-') ++m_at;
        const size_t digits = m_at;
        while (m_at < m_text.size() &&
               std::string_view("0123456789+-.eE").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
        if (m_at == digits || m_text[digits] < '0' || m_text[digits] > '9') return false;
        v.m_type = JsonValue::Type::Number;
        v.m_text = std::string(m_text.substr(start, m_at - start));
        return true;
    }

    bool Object(JsonValue& v, int depth) {
        ++m_at;
        v.m_type = JsonValue::Type::Object;
        if (Take('}')) return true;
        do {
            JsonValue::Member member;
            Blanks();
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !Text(member.first)) return false;
            if (!Take(':') || !Value(member.second, depth + 1)) return false;
            v.m_members.push_back(std::move(member));
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& v, int depth) {
        ++m_at;
        v.m_type = JsonValue::Type::Array;
        if (Take(']')) return true;
        do {
            v.m_items.emplace_back();
            if (!Value(v.m_items.back(), depth + 1)) return false;
        } while (Take(','));
        return Take(']');
    }

    bool Hex4(uint32_t& code) {
        if (m_at + 4 > m_text.size()) return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            code = code * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    // A \u escape; a lone surrogate becomes "?".
    bool Unicode(std::string& out) {
        uint32_t code;
        if (!Hex4(code)) return false;
        if (code >= 0xD800 && code < 0xDC00 && m_text.substr(m_at, 2) == "\\u") {
            m_at += 2;
            uint32_t low;
            if (!Hex4(low)) return false;
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            out += '?';
            code = low;
        }
        if (code >= 0xD800 && code < 0xE000) return out += '?', true;
        AppendUtf8(out, code);
        return true;
    }

    bool Escape(std::string& out) {
        if (m_at >= m_text.size()) return false;
        const char c = m_text[m_at++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                return out += c, true;
            case 'b':
                return out += '\b', true;
            case 'f':
                return out += '\f', true;
            case 'n':
                return out += '\n', true;
            case 'r':
                return out += '\r', true;
            case 't':
                return out += '\t', true;
            case 'u':
                return Unicode(out);
            default:
                return false;
        }
    }

    bool Text(std::string& out) {
        ++m_at;  // the opening quote
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
            } else if (!Escape(out)) {
                return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    size_t m_at = 0;
};

JsonValue JsonValue::String(std::string_view text) {
    JsonValue v;
    v.m_type = Type::String;
    v.m_text = std::string(text);
    return v;
}

JsonValue JsonValue::Number(int64_t value) {
    JsonValue v;
    v.m_type = Type::Number;
    v.m_text = std::to_string(value);
    return v;
}

JsonValue JsonValue::Bool(bool value) {
    JsonValue v;
    v.m_type = Type::Bool;
    v.m_text = value ? "true" : "false";
    return v;
}

JsonValue JsonValue::Object(std::vector<Member> members) {
    JsonValue v;
    v.m_type = Type::Object;
    v.m_members = std::move(members);
    return v;
}

std::optional<JsonValue> JsonValue::Parse(std::string_view text) {
    return JsonParser(text).Document();
}

std::string JsonValue::Write() const {
    switch (m_type) {
        case Type::Null:
            return "null";
        case Type::Bool:
        case Type::Number:
            return m_text;
        case Type::String:
            return "\"" + JsonEscape(m_text) + "\"";
        case Type::Array: {
            std::string out = "[";
            for (size_t i = 0; i < m_items.size(); ++i) out += (i ? "," : "") + m_items[i].Write();
            return out + "]";
        }
        case Type::Object:
            break;
    }
    std::string out = "{";
    for (size_t i = 0; i < m_members.size(); ++i) {
        if (i) out += ',';
        out += "\"" + JsonEscape(m_members[i].first) + "\":" + m_members[i].second.Write();
    }
    return out + "}";
}

const JsonValue* JsonValue::Find(std::string_view key) const {
    for (const auto& [name, value] : m_members) {
        if (name == key) return &value;
    }
    return nullptr;
}

std::optional<int64_t> JsonValue::AsInteger() const {
    if (m_type != Type::Number && m_type != Type::String) return std::nullopt;
    if (m_text.empty() || m_text.size() > 18) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(m_text.c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    return value;
}

std::string JsonValue::AsText() const {
    return m_type == Type::String || m_type == Type::Number || m_type == Type::Bool ? m_text
                                                                                    : std::string();
}

}  // namespace nuvaro
