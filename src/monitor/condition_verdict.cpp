#include "monitor/condition_verdict.h"

#include <stdexcept>

#include "config/config_table.h"
#include "core/condition_texts.h"
#include "core/gbk.h"
#include "monitor/matcher.h"
#include "monitor/regex.h"

namespace nuvaro {

PageQuery QueryOf(const TConfig& slot) { return PageQuery{slot.TextMode == "text", slot.Selector}; }

NumRule RuleOf(const TConfig& slot) {
    auto refuse = [](const char* field, const std::string& reason) {
        char head[128];
        std::snprintf(head, sizeof head, text::kFieldRefused, field);
        return std::runtime_error(head + reason);
    };
    if (!slot.TextMode.empty() && slot.TextMode != "markup" && slot.TextMode != "text") {
        throw refuse("TextMode", text::kTextModeUnknown);
    }
    NumRuleProblem problem;
    auto rule = ParseNumRule(slot.NumRule, slot.NumValue, &problem);
    if (!rule) throw refuse(problem.onValue ? "NumValue" : "NumRule", problem.reason);
    return *rule;
}

GbkText WithoutIgnored(const GbkText& text, const GbkText& ignore) {
    if (ignore.empty()) return text;
    return GbkText::FromBytes(Regex(ignore.view()).RemoveAll(text.view()));
}

Reading ReadCondition(TConfigTable& configs, const CycleTraits& traits, std::string_view slot,
                      const PageContent& page) {
    const TConfig& config = configs.BySlotText(slot);
    Reading reading;
    reading.rule = RuleOf(config);
    if (page.noElements) {
        reading.noElement = true;
        return reading;
    }
    const GbkText ignore = ToGbk(config.Ignore);
    if (ignore.empty()) {
        reading.found = FindInPage(configs, traits, slot, page.body);
    } else {
        reading.read = WithoutIgnored(page.body, ignore);
        reading.found = FindInPage(configs, traits, slot, reading.read);
    }
    return reading;
}

Finding JudgeReading(const Reading& reading, const NumRuleState& rule,
                     const std::function<Verdict(const GbkText&)>& judgeText) {
    Finding finding;
    finding.rule = rule;
    if (reading.noElement) {
        finding.verdict = Verdict::NoElement;
    } else if (reading.found.empty() || !reading.rule.Active()) {
        finding.verdict = judgeText(reading.found);
    } else if (!(finding.number = ReadNumber(ToUtf8(reading.found)))) {
        finding.verdict = Verdict::NoNumber;
    } else {
        const bool tells = RuleTells(reading.rule, finding.rule, finding.number->value);
        finding.verdict = tells ? Verdict::Change : Verdict::NotDue;
    }
    return finding;
}

GbkText ValueText(const Finding& finding) {
    return finding.number ? ToGbk(finding.number->written) : GbkText();
}

}  // namespace nuvaro
