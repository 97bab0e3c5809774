#include "monitor/number_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/condition_texts.h"

namespace nuvaro {
namespace {

// Room for the rounding of decimal amounts ("10%" of 200 is 20, whatever the binary says).
constexpr double kSlack = 1e-9;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<double> ParseAmount(std::string_view s) {
    if (s.empty() || s.size() > 64) return std::nullopt;
    const std::string text(s);
    if (text.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<NumRule::Kind> KindOf(std::string_view rule) {
    if (rule.empty()) return NumRule::Kind::None;
    if (rule == "below") return NumRule::Kind::Below;
    if (rule == "above") return NumRule::Kind::Above;
    if (rule == "drop") return NumRule::Kind::Drop;
    if (rule == "rise") return NumRule::Kind::Rise;
    return std::nullopt;
}

std::optional<NumRule> Refuse(NumRuleProblem* problem, bool onValue, const char* reason) {
    if (problem) *problem = {onValue, reason};
    return std::nullopt;
}

// Below and above: entering, going further in than the last value told, entering again.
bool RegionTells(bool below, double limit, NumRuleState& state, double value) {
    const bool inside = below ? value < limit : value > limit;
    if (!inside) {
        state.inRegion = false;
        return false;
    }
    const bool further = state.mark && (below ? value < *state.mark : value > *state.mark);
    if (state.inRegion && !further) return false;
    state.inRegion = true;
    state.mark = value;
    return true;
}

}  // namespace

std::optional<NumRule> ParseNumRule(std::string_view rule, std::string_view value,
                                    NumRuleProblem* problem) {
    const auto kind = KindOf(Trim(rule));
    if (!kind) return Refuse(problem, false, text::kRuleUnknown);
    NumRule parsed;
    parsed.kind = *kind;
    if (!parsed.Active()) return parsed;
    std::string_view amount = Trim(value);
    if (amount.empty()) return Refuse(problem, true, text::kValueMissing);
    parsed.percent = amount.back() == '%';
    if (parsed.percent) amount = Trim(amount.substr(0, amount.size() - 1));
    const auto number = ParseAmount(amount);
    if (!number) return Refuse(problem, true, text::kValueNotNumber);
    parsed.amount = *number;
    const bool moves = parsed.kind == NumRule::Kind::Drop || parsed.kind == NumRule::Kind::Rise;
    if (!moves && parsed.percent) return Refuse(problem, true, text::kValueNoPercent);
    if (moves && parsed.amount <= 0) return Refuse(problem, true, text::kValueNotPositive);
    return parsed;
}

bool RuleTells(const NumRule& rule, NumRuleState& state, double value) {
    using Kind = NumRule::Kind;
    switch (rule.kind) {
        case Kind::None:
            return false;
        case Kind::Below:
        case Kind::Above:
            return RegionTells(rule.kind == Kind::Below, rule.amount, state, value);
        case Kind::Drop:
        case Kind::Rise:
            break;
    }
    if (!state.mark) {
        state.mark = value;
        return false;
    }
    const double mark = *state.mark;
    const double moved = rule.kind == Kind::Drop ? mark - value : value - mark;
    const double needed = rule.percent ? std::fabs(mark) * rule.amount / 100 : rule.amount;
    if (moved > 0 && moved + kSlack * std::max(1.0, std::fabs(needed)) >= needed) {
        state.mark = value;
        return true;
    }
    if (moved < 0) state.mark = value;  // the other way: measured from there on
    return false;
}

}  // namespace nuvaro
