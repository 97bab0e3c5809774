#include "monitor/condition_trial.h"

#include <cstdio>

#include "core/condition_texts.h"
#include "core/gbk.h"
#include "core/log_escape.h"
#include "core/text_cut.h"
#include "core/text_util.h"
#include "core/texts.h"
#include "monitor/condition_verdict.h"
#include "monitor/expression_check.h"
#include "monitor/matcher.h"
#include "monitor/regex.h"

namespace nuvaro {
namespace {

constexpr size_t kShownReadChars = 300;
constexpr size_t kShownFoundChars = 200;

// The group as the matcher takes it: 0 when it is no integer; any other outside 0..14 finds
// only the expression as it stands.
int GroupOf(const std::string& regGrp) {
    auto group = ParseInteger(regGrp);
    if (!group) return 0;
    return *group >= 0 && *group < Regex::kGroups ? static_cast<int>(*group) : Regex::kGroups;
}

// A page's text on the dialog: cut, and its control characters shown, so it stays readable.
std::string Shown(const GbkText& text, size_t chars) {
    if (text.empty()) return text::kTryNothing;
    return ToUtf8(GbkText::FromBytes(ShowControls(CutText(text, chars).bytes())));
}

const char* VerdictText(const Trial& t) {
    switch (t.verdict) {
        case Verdict::Change:
            return text::kTryWouldNotify;
        case Verdict::NoNumber:
            return text::kNoNumber;
        case Verdict::NoElement:
            return text::kNoElement;
        case Verdict::NotDue:
        case Verdict::Repeat:
            return t.startingPoint ? text::kTryStartingPoint : text::kTryNotDue;
        case Verdict::NothingFound:
            break;
    }
    return text::kTryNothingFound;
}

Trial Failed(std::string why) {
    Trial trial;
    trial.error = std::move(why);
    return trial;
}

}  // namespace

std::optional<FieldProblem> CheckFields(const ConditionFields& f) {
    NumRuleProblem problem;
    if (!ParseNumRule(f.NumRule, f.NumValue, &problem)) {
        return FieldProblem{problem.onValue ? text::kValueLabel : text::kRuleLabel, problem.reason};
    }
    if (!f.TextMode.empty() && f.TextMode != "markup" && f.TextMode != "text") {
        return FieldProblem{text::kReadLabel, text::kTextModeUnknown};
    }
    const ExpressionProblem ignore = CheckExpression(ToGbk(f.Ignore));
    if (!ignore.message.empty()) return FieldProblem{text::kIgnoreLabel, ignore.message};
    return std::nullopt;
}

Trial TryCondition(const ConditionFields& f, const PageContent& page) {
    Trial trial;
    if (!page.ok) return Failed(page.error.empty() ? text::kNoDocument : page.error);
    if (!page.hasBody) return Failed(text::kNoBody);
    Reading reading;
    try {
        if (auto problem = CheckFields(f)) return Failed(problem->reason);
        reading.rule = *ParseNumRule(f.NumRule, f.NumValue);
        reading.noElement = page.noElements;
        reading.read = WithoutIgnored(page.body, ToGbk(f.Ignore));
        if (!reading.noElement) {
            reading.found = FindKeyword(reading.read, ToGbk(f.Regx), GroupOf(f.RegGrp)).found;
        }
    } catch (const std::exception& e) {
        return Failed(e.what());
    }
    const Finding finding =
        JudgeReading(reading, {}, [](const GbkText& found) { return Judge(found, {}); });
    trial.read = reading.read;
    trial.found = reading.found;
    trial.number = finding.number;
    trial.verdict = finding.verdict;
    trial.startingPoint =
        finding.verdict == Verdict::NotDue && !finding.rule.inRegion &&
        (reading.rule.kind == NumRule::Kind::Drop || reading.rule.kind == NumRule::Kind::Rise);
    return trial;
}

std::string TrialReport(const Trial& t) {
    if (!t.error.empty()) return std::string(text::kTryVerdict) + t.error;
    std::string report = std::string(text::kTryRead) + Shown(t.read, kShownReadChars) + "\n";
    report += std::string(text::kTryFound) + Shown(t.found, kShownFoundChars) + "\n";
    report += std::string(text::kTryNumber) + (t.number ? t.number->written : text::kTryNothing);
    report += std::string("\n") + text::kTryVerdict + VerdictText(t) + "\n" + text::kTryNoSend;
    return report;
}

}  // namespace nuvaro
