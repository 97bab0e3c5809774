#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nuvaro {

// An expression the engine refused, or an error of the engine while searching (a match,
// depth or heap limit reached, or the whole search running past its time budget, which is
// reported as the match limit). The message is the engine's own text.
class RegexError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A compiled expression in the matcher's dialect: bytes, case-sensitive, "." matches every
// byte, "^" and "$" only at the ends of the whole text, greedy, leftmost first match.
// "(?g)" and "(?-g)" switch greediness inside the expression. The bytes of a GBK character are
// never operators.
class Regex {
  public:
    static constexpr int kGroups = 15;  // groups 0 to 14 are kept

    explicit Regex(std::string_view expression);  // throws RegexError
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    // Text of group `group` of the first match, "" when that group took no part or lies
    // outside 0..14; nullopt when there is no match. Throws RegexError.
    std::optional<std::string> FirstMatchGroup(std::string_view subject, int group) const;
    // `subject` without every match, left to right. Throws RegexError.
    std::string RemoveAll(std::string_view subject) const;

  private:
    int Search(std::string_view subject, size_t offset, void* budget) const;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Why the engine refuses an expression: its error code and message, and the byte offset in the
// expression (as the user wrote it) at which it gave up.
struct RegexCompileError {
    int code = 0;
    std::string message;
    size_t offset = 0;
};
// nullopt when the expression compiles, as Regex would compile it.
std::optional<RegexCompileError> CompileError(std::string_view expression);

// Rewrites an expression of the matcher's dialect for the engine: the greediness modifier "g"
// of inline option groups becomes the engine's "U", and a GBK character's second byte that is
// ASCII punctuation is escaped, so that the character stays one piece of text (東 is 0x96 "|").
// Everything else keeps its byte meaning: a "." still matches one byte.
std::string TranslateExpression(std::string_view expression);

}  // namespace nuvaro
