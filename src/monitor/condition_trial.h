#pragma once

#include <optional>
#include <string>

#include "core/gbk_text.h"
#include "monitor/cycle_rules.h"
#include "monitor/number_reader.h"
#include "services/page_source.h"

namespace nuvaro {

// A condition as the condition dialog holds it before it is saved (UTF-8, as the slot keeps it).
struct ConditionFields {
    std::string Regx, RegGrp, NumRule, NumValue, TextMode, Selector, Ignore;

    PageQuery Query() const { return PageQuery{TextMode == "text", Selector}; }
};

// A field that cannot be saved: its label in the dialog and why (UTF-8).
struct FieldProblem {
    const char* label;
    std::string reason;
};
// The rule, its number and the ignore pattern; the selector only the engine can check.
std::optional<FieldProblem> CheckFields(const ConditionFields& fields);

// The condition applied to a page read as the first tick after saving it would: nothing logged,
// nothing sent, nothing remembered.
struct Trial {
    std::string error;  // UTF-8: the read failed or the condition cannot be used
    GbkText read;       // what the condition matched, ignored parts removed
    GbkText found;
    std::optional<PageNumber> number;
    Verdict verdict = Verdict::NothingFound;
    bool startingPoint = false;  // drop or rise: the first value is where moves count from
};
Trial TryCondition(const ConditionFields& fields, const PageContent& page);

// What the dialog shows of a trial: the text read (cut), the found text, the number and the
// verdict, one per line (UTF-8).
std::string TrialReport(const Trial& trial);

}  // namespace nuvaro
