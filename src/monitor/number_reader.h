#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nuvaro {

// A number as a page writes it.
struct PageNumber {
    double value = 0;
    std::string written;  // UTF-8, as the page wrote it: sign, digits, separators, 万 or 亿
};

// The first number in `utf8`: ASCII or full-width digits, a leading minus sign, thousands
// separators ("1,299.00"), a decimal point, then 万 or 亿 as a multiplier; a currency sign
// (￥, ¥) before it and words after it ("199元起") are left aside. Digits glued to a Latin
// letter ("iPhone15", "mp3") are part of a word, not a number. nullopt when there is none, or
// when it is too large to hold.
std::optional<PageNumber> ReadNumber(std::string_view utf8);

}  // namespace nuvaro
