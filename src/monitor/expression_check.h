#pragma once

#include <string>
#include <string_view>

namespace nuvaro {

// Why a condition cannot be used, as the condition dialog tells it.
struct ExpressionProblem {
    std::string message;   // UTF-8: the reason in Chinese, the engine's text, the position
    size_t charIndex = 0;  // where it went wrong, in characters (a GBK character, CR LF: one)
};

// The problem of `expression` (GBK, lines joined by CR LF); an empty message when the matcher
// can use it. A keyword (no operator) and the empty text are always accepted.
ExpressionProblem CheckExpression(std::string_view expression);

}  // namespace nuvaro
