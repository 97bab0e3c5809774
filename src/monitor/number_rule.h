#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvaro {

// A condition about the number the found text holds (the slot's NumRule and NumValue).
struct NumRule {
    enum class Kind { None, Below, Above, Drop, Rise };
    Kind kind = Kind::None;
    double amount = 0;
    bool percent = false;  // Drop and Rise only: `amount` is a percentage of the mark

    bool Active() const { return kind != Kind::None; }
};

// Why a rule cannot be used: which of its two keys and the reason (UTF-8 texts).
struct NumRuleProblem {
    bool onValue = false;  // NumValue; else NumRule
    std::string reason;
};

// Reads the two keys ("below", "above", "drop", "rise"; empty: no rule). Below and above take
// a number, drop and rise a positive number or percentage ("10%"); blanks around are allowed.
std::optional<NumRule> ParseNumRule(std::string_view rule, std::string_view value,
                                    NumRuleProblem* problem = nullptr);

// What the rule remembers between ticks. Below and above: whether the last value was in the
// region and the last value told. Drop and rise: the mark the next move is measured from.
struct NumRuleState {
    bool inRegion = false;
    std::optional<double> mark;

    bool operator==(const NumRuleState&) const = default;
};

// Whether `value` is to be told, and the state after it. Below and above tell on entering the
// region, on going further in than the last value told, and on entering again; drop and rise
// when the value has moved by the amount from the mark (the first value sets the mark; a move
// the other way past the mark moves it along).
bool RuleTells(const NumRule& rule, NumRuleState& state, double value);

}  // namespace nuvaro
