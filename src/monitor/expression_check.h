#pragma once

#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

// Why a condition cannot be used, as the condition dialog tells it.
struct ExpressionProblem {
    std::string message;   // UTF-8: the reason in Chinese, the engine's text, the position
    size_t charIndex = 0;  // where it went wrong, in characters (a GBK character, CR LF: one)
};

// The problem of `expression` (lines joined by CR LF, as the matcher works on it); an empty
// message when the matcher can use it. A keyword (no operator) and the empty text are always
// accepted.
ExpressionProblem CheckExpression(const GbkText& gbk);

}  // namespace nuvaro
