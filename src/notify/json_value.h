#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nuvaro {

// A JSON value, built for a request or read from a service's answer. Texts are UTF-8; numbers
// keep their literal. Objects keep their members in order.
class JsonValue {
  public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    using Member = std::pair<std::string, JsonValue>;

    JsonValue() = default;
    static JsonValue String(std::string_view text);
    static JsonValue Number(int64_t value);
    static JsonValue Bool(bool value);
    static JsonValue Object(std::vector<Member> members);

    // The document `text` (one value, blanks around it allowed); nullopt when it is no JSON or
    // nests deeper than kMaxDepth.
    static std::optional<JsonValue> Parse(std::string_view text);
    static constexpr int kMaxDepth = 64;

    // Compact JSON; a byte that is not UTF-8 goes as "?".
    std::string Write() const;

    Type type() const { return m_type; }
    // The member `key` of an object; null when absent or not an object.
    const JsonValue* Find(std::string_view key) const;
    // A number, or a string that holds an integer, as an integer.
    std::optional<int64_t> AsInteger() const;
    // A string's text, a number's literal, "true"/"false"; empty otherwise.
    std::string AsText() const;

  private:
    friend class JsonParser;
    Type m_type = Type::Null;
    std::string m_text;  // string text, number literal, "true"/"false"
    std::vector<JsonValue> m_items;
    std::vector<Member> m_members;
};

}  // namespace nuvaro
