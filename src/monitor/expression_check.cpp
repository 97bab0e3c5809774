#include "monitor/expression_check.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "core/texts.h"
#include "monitor/matcher.h"
#include "monitor/regex.h"

namespace nuvaro {
namespace {

const char* ReasonOf(int code) {
    switch (code) {
        case PCRE2_ERROR_END_BACKSLASH:
            return text::kRegexEndBackslash;
        case PCRE2_ERROR_UNKNOWN_ESCAPE:
        case PCRE2_ERROR_UNSUPPORTED_ESCAPE_SEQUENCE:
            return text::kRegexBadEscape;
        case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
            return text::kRegexMissingBracket;
        case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
            return text::kRegexMissingParen;
        case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
            return text::kRegexUnmatchedParen;
        case PCRE2_ERROR_QUANTIFIER_INVALID:
            return text::kRegexNothingToRepeat;
        case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
            return text::kRegexQuantifierOrder;
        case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
            return text::kRegexQuantifierTooBig;
        case PCRE2_ERROR_CLASS_RANGE_ORDER:
            return text::kRegexRangeOrder;
        case PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY:
            return text::kRegexBadGroup;
        case PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE:
            return text::kRegexBadReference;
        case PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH:
            return text::kRegexLookbehind;
        case PCRE2_ERROR_PATTERN_TOO_LARGE:
        case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
            return text::kRegexTooLarge;
        default:
            return text::kRegexOther;
    }
}

bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

struct Place {
    size_t chars = 0, line = 1, column = 1;
};

size_t CharWidth(std::string_view text, size_t i) {
    if (text.substr(i, 2) == "\r\n") return 2;
    return IsGbkLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The character at `offset`, or the last one when it lies past the end: how many characters,
// lines and columns come before it. A GBK character and a line break count one.
Place PlaceOf(std::string_view text, size_t offset) {
    Place place;
    for (size_t i = 0; i < text.size();) {
        const size_t width = CharWidth(text, i);
        if (i >= offset || i + width >= text.size()) break;
        const bool lineBreak = text[i] == '\r' || text[i] == '\n';
        ++place.chars;
        place.line += lineBreak ? 1 : 0;
        place.column = lineBreak ? 1 : place.column + 1;
        i += width;
    }
    return place;
}

std::string Numbered(const char* format, std::initializer_list<size_t> numbers) {
    std::string text = format;
    for (size_t number : numbers) text.replace(text.find("%d"), 2, std::to_string(number));
    return text;
}

}  // namespace

ExpressionProblem CheckExpression(const GbkText& gbk) {
    const std::string_view expression = gbk.view();
    if (expression.empty() || IsPlainKeyword(expression)) return {};
    auto error = CompileError(expression);
    if (!error) return {};
    const Place place = PlaceOf(expression, error->offset);
    const bool lines = expression.find_first_of("\r\n") != std::string_view::npos;
    std::string message = std::string(text::kExpressionRefused) + ReasonOf(error->code) + "（" +
                          error->message + "）\n" +
                          (lines ? Numbered(text::kExpressionAtLine, {place.line, place.column})
                                 : Numbered(text::kExpressionAtChar, {place.chars + 1})) +
                          "\n" + text::kExpressionLiteralHint;
    return {message, place.chars};
}

}  // namespace nuvaro
