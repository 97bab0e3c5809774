#pragma once

#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro {

class TConfigTable;

struct Condition {
    GbkText expression;  // the slot's Regx, as the matcher works on it
    int group = 0;       // the slot's RegGrp; 0 when it is not an integer
};

// An expression without any byte the engine treats specially: it is looked for as it stands
// and never compiled.
bool IsPlainKeyword(std::string_view expression);

// The condition of the slot whose number `slot` gives ("1".."30").
Condition GetCondition(TConfigTable& configs, std::string_view slot);

// What the condition selects in the page text (bytes of GBK: a "." is one byte): the text of
// group `group` of the first match, else the expression itself when it occurs literally, else
// "". Each find writes its line to the match log (`windowName` is UTF-8). Throws RegexError for
// an expression the engine refuses or a search the engine gives up; nothing is logged then.
// What MatchKeyword finds, without its log line: the found text, and whether the expression
// was found as it stands (the "KeywordOk" line) rather than by the engine.
struct KeywordFind {
    GbkText found;
    bool asKeyword = false;
};
KeywordFind FindKeyword(const GbkText& page, const GbkText& expression, int group);

GbkText MatchKeyword(const GbkText& page, const GbkText& expression, int group,
                     std::string_view slot, std::string_view windowName);

}  // namespace nuvaro
