#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/gbk_text.h"
#include "monitor/cycle_rules.h"
#include "monitor/number_reader.h"
#include "monitor/number_rule.h"
#include "services/page_source.h"

namespace nuvaro {

class TConfig;
class TConfigTable;

// What a window's condition asks of the page read: the visible text or the markup, of the whole
// body or of the elements its selector selects.
PageQuery QueryOf(const TConfig& slot);

// The rule about values of the slot; throws std::runtime_error naming the key and the reason
// when it cannot be used. A TextMode other than markup or text is refused likewise.
NumRule RuleOf(const TConfig& slot);

// `text` without what the expression `ignore` matches (nothing removed when it is empty).
// Throws RegexError.
GbkText WithoutIgnored(const GbkText& text, const GbkText& ignore);

// What the condition found in the page and what it reads there, before the verdict.
struct Reading {
    bool noElement = false;  // the selector selected nothing
    GbkText read;            // the page text matched when parts were ignored (else the body)
    GbkText found;
    NumRule rule;
};

// The condition of the window's slot applied to a page read: ignored parts removed, then the
// matcher (which writes its match-log line). Throws for an unusable setting or expression.
Reading ReadCondition(TConfigTable& configs, const CycleTraits& traits, std::string_view slot,
                      const PageContent& page);

// The verdict on a reading. Without a rule, `judgeText` judges the found text as the cycle
// always did; with one, the number read decides, and `rule` is the rule's state after it.
struct Finding {
    Verdict verdict = Verdict::NothingFound;
    std::optional<PageNumber> number;
    NumRuleState rule;
};
Finding JudgeReading(const Reading& reading, const NumRuleState& rule,
                     const std::function<Verdict(const GbkText&)>& judgeText);

// The number as the notice's {value} shows it (GBK); empty without one.
GbkText ValueText(const Finding& finding);

}  // namespace nuvaro
